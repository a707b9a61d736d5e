#include "sim/SampleDataSet.h"

#include "convert/AliasTables.h"
#include "convert/CrosspointTable.h"
#include "convert/DescriptionConverter.h"
#include "convert/DescriptionTable.h"
#include "convert/DescriptionText.h"
#include "convert/TerminalLabels.h"
#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"

#include <QDir>
#include <QFileInfo>

namespace qdv {

namespace {

using namespace stdlayout;

constexpr char kTypeNames[kTypes][5] = {
    "VTR ", "CAM ", "MIC ", "SRV ", "GFX ", "CG  ", "SAT ", "LINE", "MON ", "REC ", "PGM ",
    "PVW ", "AUX ", "TX  ", "EDIT", "STU ", "ENC ", "DEC ", "IRD ", "FS  ", "DVE ", "CLIP",
    "NEWS", "SPT ", "WX  ", "OB  ", "RTR ", "TIE ", "EXT ", "TEST", "BARS", "BLK ",
};
constexpr int kSources = 48; // sources 1..48 in the first half
constexpr int kFeeds = 8;    // sources 513..520 in the second half
constexpr int kDestinations = 32;
constexpr int kStations[] = {2, 3, 4, 5, 6};
constexpr int kStationFiles[] = {2, 3, 4};
constexpr int kStationDeviceType = 1;
constexpr int kOwnControllerType = 1;

void Put(QByteArray& img, int at, int value) {
    img[at] = static_cast<char>(value & 0xFF);
}

// An entry's label and second number, the label in decimal digits (first half while the type mode is
// Type16) or binary.
void PutEntry(QByteArray& img, int at, bool decimal, int type, int number, int second) {
    const auto label = LabelBytes(decimal, type, number);
    Put(img, at, label[0]);
    Put(img, at + 1, label[1]);
    Put(img, at + 2, second >> 8);
    Put(img, at + 3, second);
}

QByteArray StandardSettingsImage() {
    QByteArray img(kImageSize, '\0');
    for (int t = 0; t < kTypes; ++t) {
        const int at = TypeNameAt(t);
        for (int i = 0; i < kTypeNameLength; ++i)
            img[at + i] = kTypeNames[t][i];
    }
    // Sources: cameras, VTRs and so on, eight of each type; then eight satellite feeds (type 18, IRD).
    for (int j = 0; j < kSources; ++j)
        PutEntry(img, SourceEntryAt(j), true, j / 8, j % 8 + 1, 100 + j);
    for (int j = 0; j < kFeeds; ++j)
        PutEntry(img, SourceEntryAt(kTerminalsPerHalf + j), false, 18, j + 1, 600 + j);
    // Destinations: monitors, recorders, programme and preview outputs.
    for (int j = 0; j < kDestinations; ++j)
        PutEntry(img, DestinationEntryAt(j), true, 8 + j / 8, j % 8 + 1, 200 + j);
    // Secondary stations: presence bitmap (bit 7 of the first byte is station 1) in both places a
    // controller may keep it, the list of stations and their device types, and the controller's own type.
    for (const int s : kStations) {
        for (const int base : {kStationBitmap, kStationBitmapElsewhere}) {
            const int at = base + StationBitmapByte(s);
            img[at] = static_cast<char>(img[at] | StationBit(s));
        }
        Put(img, kStationUnits + s - 1, kStationDeviceType);
        Put(img, kStationDeviceTypes + s - 1, kStationDeviceType);
    }
    Put(img, stdlayout::kControllerType, kOwnControllerType);
    return img;
}

// Content of the files the conversions do not interpret: a fixed pattern of the code.
QByteArray PatternImage(int size, int seed) {
    QByteArray img(size, '\0');
    for (int i = 0; i < size; ++i)
        img[i] = static_cast<char>((i % 64 == 0) ? seed : (i * 7 + seed) % 251 % 16);
    return img;
}

void FillNames(const TerminalLabels& labels, DescriptionTable* descriptions, AliasTables* aliases) {
    for (int n = 1; n <= kTerminalCount; ++n) {
        for (const Side side : {Side::Source, Side::Destination}) {
            const TerminalLabel& label = labels.Label(side, n);
            if (label.IsEmpty())
                continue;
            const QByteArray name = label.typeName.trimmed() + '-' + label.numberText;
            descriptions->At(side, n).SetText(name);
            for (int k = 1; k <= AliasTables::kTables; ++k)
                aliases->Table(k).At(side, n).SetText(name + '/' + QByteArray::number(k));
        }
    }
}

CrosspointTable Crosspoints() {
    CrosspointTable table;
    for (int d = 1; d <= kDestinations; ++d) {
        // Video and audio levels follow the same source; a few destinations take another on level 2.
        for (int level = 1; level <= 4; ++level)
            table.SetSource(level, d, static_cast<std::uint16_t>(d));
        if (d % 5 == 0)
            table.SetSource(2, d, static_cast<std::uint16_t>(512 + d / 5));
    }
    table.SetSource(8, 513, 1);
    return table;
}

class Writer {
public:
    Writer(const QString& dir, QString* error) : m_dir(dir), m_error(error) {}

    bool Write(const QString& relative, const QByteArray& data) {
        if (!m_ok)
            return false;
        const QString path = QDir(m_dir).filePath(relative);
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            Fail(QStringLiteral("Cannot create directory.(%1)").arg(QFileInfo(path).absolutePath()));
            return false;
        }
        QString why;
        if (!WriteFileAtomically(path, data, &why))
            Fail(QStringLiteral("%1: %2").arg(path, why));
        return m_ok;
    }

    void Fail(const QString& why) {
        m_ok = false;
        if (m_error)
            *m_error = why;
    }

    bool Ok() const { return m_ok; }

private:
    QString m_dir;
    QString* m_error;
    bool m_ok = true;
};

} // namespace

bool WriteSampleDataSet(const QString& dir, QString* error) {
    Writer out(dir, error);
    const QString primary = QStringLiteral("Primary/");

    const QByteArray stdText = image::Encode(StandardSettingsImage());
    out.Write(primary + QString::fromLatin1(datafiles::Entry(datafiles::kStd).name), stdText);
    for (int i = 1; i < datafiles::kPrimaryCount; ++i) {
        const int code = datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]);
        const DataFileEntry& e = datafiles::Entry(code);
        out.Write(primary + QString::fromLatin1(e.name), image::Encode(PatternImage(e.imageSize, code)));
    }

    TerminalLabels labels;
    labels.Build(stdText);
    DescriptionTable descriptions;
    AliasTables aliases;
    FillNames(labels, &descriptions, &aliases);
    DescriptionConverter converter;
    QByteArray nme;
    const ConverterResult converted =
        converter.Convert(DescriptionText::ShortForm(labels, descriptions), stdText, &nme);
    if (converted.code != DescriptionConverter::kOk || nme.isEmpty()) {
        out.Fail(QString::fromLatin1(converted.message));
        return false;
    }
    out.Write(QStringLiteral("Name/") + QString::fromLatin1(datafiles::Entry(datafiles::kNme).name), nme);
    for (int k = 1; k <= AliasTables::kTables; ++k)
        out.Write(QStringLiteral("Name/") + datafiles::AliasFileName(k), aliases.SaveDau(k));

    out.Write(QStringLiteral("XPoint/") + QString::fromLatin1(datafiles::Entry(datafiles::kXpt).name),
              Crosspoints().SaveDau());

    const int stationSize = datafiles::Entry(datafiles::kStationDat).imageSize;
    for (const int s : kStationFiles)
        out.Write(datafiles::FileName(datafiles::kStationDat, s),
                  image::Encode(PatternImage(stationSize, s)));
    return out.Ok();
}

} // namespace qdv
