#include "history/StandardSettingsDiff.h"

#include "convert/TerminalLabels.h"
#include "history/ByteRanges.h"
#include "history/ChangeText.h"
#include "store/DataImage.h"
#include "store/StandardSettingsLayout.h"

#include <vector>

namespace qdv::history {

namespace {

using namespace stdlayout;

// Compares the parts of the two images one by one and marks every byte it has put into words.
class Comparer {
public:
    Comparer(const QString& file, const QByteArray& oldText, const QByteArray& newText, MeaningChanges* out)
        : m_file(file), m_old(image::Decode(oldText, kImageSize)), m_new(image::Decode(newText, kImageSize)),
          m_covered(kImageSize, false), m_out(out) {
        m_oldLabels.Build(oldText);
        m_newLabels.Build(newText);
    }

    void Run() {
        TypeNames();
        LevelNames();
        Modes();
        Terminals(false);
        Terminals(true);
        ControlArea();
        Stations();
        if (auto rest = ByteRanges::Describe(m_file, m_file + QStringLiteral(" other bytes"), m_old, m_new,
                                             &m_covered))
            m_out->append(*rest);
    }

private:
    int Old(int at) const { return static_cast<unsigned char>(m_old[at]); }
    int New(int at) const { return static_cast<unsigned char>(m_new[at]); }

    // True when the bytes differ; marks them as described either way.
    bool Differs(int at, int length) {
        std::fill_n(m_covered.begin() + at, length, true);
        return m_old.mid(at, length) != m_new.mid(at, length);
    }

    void Text(const QString& kind, const QString& subject, int at, int length, QJsonObject fields = {}) {
        if (Differs(at, length))
            m_out->append(ChangeText::Value(m_file, kind, subject, ChangeText::Quoted(m_old.mid(at, length)),
                                            ChangeText::Quoted(m_new.mid(at, length)), fields));
    }

    void Setting(const QString& subject, int at, const QString& zero, const QString& other) {
        if (Differs(at, 1))
            m_out->append(ChangeText::Value(m_file, QStringLiteral("setting"), subject,
                                            Old(at) ? other : zero, New(at) ? other : zero));
    }

    void TypeNames() {
        for (int t = 0; t < kTypes; ++t)
            Text(QStringLiteral("type-name"), QStringLiteral("type %1 name").arg(t + 1), TypeNameAt(t),
                 kTypeNameLength, {{QStringLiteral("type"), t + 1}});
    }

    void LevelNames() {
        for (int n = 1; n <= kLevels; ++n)
            Text(QStringLiteral("level-name"), QStringLiteral("level %1 name").arg(n), LevelNameAt(n - 1),
                 kLevelNameLength, {{QStringLiteral("level"), n}});
    }

    void Modes() {
        // Only the top bit of this byte is the name style; other bits stay for the byte ranges.
        if ((Old(kNameStyle) ^ New(kNameStyle)) & kNameStyleDescription) {
            const auto style = [](int b) {
                return (b & kNameStyleDescription) ? QStringLiteral("DescName") : QStringLiteral("TypeNum");
            };
            m_out->append(ChangeText::Value(m_file, QStringLiteral("setting"), QStringLiteral("name style"),
                                            style(Old(kNameStyle)), style(New(kNameStyle))));
        }
        m_covered[kNameStyle] = ((Old(kNameStyle) ^ New(kNameStyle)) & ~kNameStyleDescription) == 0;
        Setting(QStringLiteral("type mode"), kTypeMode, QStringLiteral("Type16"), QStringLiteral("Type32"));
        Setting(QStringLiteral("level mode"), kLevelMode, QStringLiteral("Level8"),
                QStringLiteral("Level16"));
        Text(QStringLiteral("setting"), QStringLiteral("model name"), kModelName, kModelNameLength);
        if (Differs(kControllerType, 1))
            m_out->append(ChangeText::Value(m_file, QStringLiteral("setting"),
                                            QStringLiteral("controller type"), Hex(Old(kControllerType)),
                                            Hex(New(kControllerType))));
    }

    static QString Hex(int b) { return QStringLiteral("0x%1").arg(b, 2, 16, QLatin1Char('0')); }

    static QString LabelText(const TerminalLabel& l) {
        return ChangeText::Quoted(l.IsEmpty() ? QByteArray() : l.typeName + ' ' + l.numberText);
    }

    void Terminals(bool destination) {
        const Side side = destination ? Side::Destination : Side::Source;
        const int stride = destination ? kDestinationEntrySize : kSourceEntrySize;
        for (int j = 0; j < kTerminalCount; ++j) {
            const int at = destination ? DestinationEntryAt(j) : SourceEntryAt(j);
            if (!Differs(at, stride))
                continue;
            const TerminalLabel& before = m_oldLabels.Label(side, j + 1);
            const TerminalLabel& after = m_newLabels.Label(side, j + 1);
            const QString who = QStringLiteral("%1 %2").arg(ChangeText::SideWord(destination)).arg(j + 1);
            const QJsonObject fields{{QStringLiteral("side"), ChangeText::SideWord(destination)},
                                     {QStringLiteral("number"), j + 1}};
            const int before0 = static_cast<int>(m_out->size());
            if (LabelText(before) != LabelText(after))
                m_out->append(ChangeText::Value(m_file, QStringLiteral("label"),
                                                who + QStringLiteral(" label"), LabelText(before),
                                                LabelText(after), fields));
            if (!destination && before.secondNumber != after.secondNumber)
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("second-number"), who + QStringLiteral(" second number"),
                    QString::number(before.secondNumber), QString::number(after.secondNumber), fields));
            if (m_out->size() == before0)
                m_out->append(
                    ChangeText::Value(m_file, QStringLiteral("entry"), who + QStringLiteral(" entry"),
                                      QString::fromLatin1(m_old.mid(at, stride).toHex(' ')),
                                      QString::fromLatin1(m_new.mid(at, stride).toHex(' ')), fields));
        }
    }

    int AreaValue(const QByteArray& img, int k) const {
        const int at = kControlArea + 2 * k;
        return (static_cast<unsigned char>(img[at]) | (static_cast<unsigned char>(img[at + 1]) << 8)) + 1;
    }

    void ControlArea() {
        if (Differs(kControlArea, 8)) {
            for (int k = 0; k < 2; ++k) {
                const auto range = [&](const QByteArray& img) {
                    return QStringLiteral("%1-%2").arg(AreaValue(img, 2 * k)).arg(AreaValue(img, 2 * k + 1));
                };
                if (range(m_old) != range(m_new))
                    m_out->append(ChangeText::Value(m_file, QStringLiteral("control-area"),
                                                    k == 0 ? QStringLiteral("control area sources")
                                                           : QStringLiteral("control area destinations"),
                                                    range(m_old), range(m_new)));
            }
        }
        Text(QStringLiteral("control-area"), QStringLiteral("control area name"), kControlAreaName,
             kControlAreaNameLength + 1); // with its zero byte
    }

    void Stations() {
        for (int u = 1; u <= kStations; ++u) {
            const int at = kStationBitmap + StationBitmapByte(u);
            const int bit = StationBit(u);
            const QJsonObject fields{{QStringLiteral("station"), u}};
            if ((Old(at) ^ New(at)) & bit)
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1").arg(u),
                    (Old(at) & bit) ? QStringLiteral("present") : QStringLiteral("absent"),
                    (New(at) & bit) ? QStringLiteral("present") : QStringLiteral("absent"), fields));
            if (Differs(kStationUnits + u - 1, 1))
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1 detected unit").arg(u),
                    Hex(Old(kStationUnits + u - 1)), Hex(New(kStationUnits + u - 1)), fields));
            if (Differs(kStationDeviceTypes + u - 1, 1))
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1 device type").arg(u),
                    Hex(Old(kStationDeviceTypes + u - 1)), Hex(New(kStationDeviceTypes + u - 1)), fields));
        }
        // Bit 0 of the last bitmap byte would be station 256, which does not exist.
        std::fill_n(m_covered.begin() + kStationBitmap, kStationBitmapSize - 1, true);
    }

    QString m_file;
    QByteArray m_old;
    QByteArray m_new;
    std::vector<bool> m_covered;
    MeaningChanges* m_out;
    TerminalLabels m_oldLabels;
    TerminalLabels m_newLabels;
};

} // namespace

void StandardSettingsDiff::Describe(const QString& file, const QByteArray& oldText, const QByteArray& newText,
                                    MeaningChanges* out) {
    Comparer(file, oldText, newText, out).Run();
}

} // namespace qdv::history
