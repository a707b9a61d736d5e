#include "history/MeaningDiff.h"

#include "convert/PresentBytes.h"
#include "history/ByteRanges.h"
#include "history/ChangeText.h"
#include "history/CrosspointDiff.h"
#include "history/NameFileDiff.h"
#include "history/StandardSettingsDiff.h"
#include "store/DataImage.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace qdv::history {

namespace {

// The station number of a station file at the top of the folder ("ZEBU_005.DAT"), else 0.
int StationOfFile(const QString& path) {
    static const QRegularExpression station(QStringLiteral(R"(^ZEBU_(\d{3})\.DAT$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = station.match(path);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void AddedOrRemoved(const FileChange& change, MeaningChanges* out) {
    const bool added = !change.inOld;
    const int station = StationOfFile(change.path);
    const qsizetype size = added ? change.newData.size() : change.oldData.size();
    QString text = station ? QStringLiteral("station %1 file %2").arg(station).arg(change.path) : change.path;
    text += added ? QStringLiteral(": added (%1 bytes)").arg(size)
                  : QStringLiteral(": removed (%1 bytes)").arg(size);
    QJsonObject fields{
        {QStringLiteral("change"), added ? QStringLiteral("added") : QStringLiteral("removed")},
        {QStringLiteral("size"), static_cast<double>(size)}};
    if (station)
        fields.insert(QStringLiteral("station"), station);
    out->append(ChangeText::Make(change.path, QStringLiteral("file"), text, fields));
}

// Whether a file is a device image in the data files' text form: hexadecimal digits and line ends.
bool IsImageText(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == '\r' ||
               c == '\n';
    });
}

// A data file the program does not decode: the device image's bytes when the file is one, else the
// file's own bytes.
void Bytes(const FileChange& change, MeaningChanges* out) {
    if (IsImageText(change.oldData) && IsImageText(change.newData)) {
        constexpr int kAny = std::numeric_limits<int>::max();
        const QByteArray before = image::Decode(change.oldData, PresentBytes(change.oldData, kAny));
        const QByteArray after = image::Decode(change.newData, PresentBytes(change.newData, kAny));
        if (before != after) {
            out->append(*ByteRanges::Describe(change.path, change.path, before, after));
            return;
        }
    }
    if (auto raw = ByteRanges::Describe(change.path, change.path, change.oldData, change.newData))
        out->append(*raw);
}

} // namespace

MeaningChanges MeaningDiff::Describe(const QList<FileChange>& changes, const TerminalNames& oldNames,
                                     const TerminalNames& newNames) {
    MeaningChanges out;
    for (const FileChange& change : changes)
        Describe(change, oldNames, newNames, &out);
    return out;
}

void MeaningDiff::Describe(const FileChange& change, const TerminalNames& oldNames,
                           const TerminalNames& newNames, MeaningChanges* out) {
    if (!change.inOld || !change.inNew) {
        AddedOrRemoved(change, out);
        return;
    }
    if (change.oldData == change.newData)
        return;
    const QString name = QFileInfo(change.path).fileName().toUpper();
    static const QRegularExpression alias(QStringLiteral(R"(^ZEBU_ALS([1-7])\.DAU$)"));
    if (name == QLatin1String("ZEBU_STD.DAU")) {
        StandardSettingsDiff::Describe(change.path, change.oldData, change.newData, out);
        return;
    }
    if (name == QLatin1String("ZEBU_XPT.DAU")) {
        CrosspointDiff::Describe(change.path, change.oldData, change.newData, oldNames, newNames, out);
        return;
    }
    const auto m = alias.match(name);
    const int k = m.hasMatch() ? m.captured(1).toInt() : 0;
    if ((name == QLatin1String("ZEBU_NME.DAU") || k != 0) &&
        NameFileDiff::Describe(change.path, k, change.oldData, change.newData, out))
        return;
    Bytes(change, out);
}

} // namespace qdv::history
