#include "history/StandardSettingsDiff.h"

#include "convert/TerminalLabels.h"
#include "history/ByteRanges.h"
#include "history/ChangeText.h"
#include "store/DataImage.h"

#include <vector>

namespace qdv::history {

namespace {

// Places in the 16384-byte image; the second half starts at 8192.
constexpr int kHalf = 8192;
constexpr int kTypeNameStride = 8;
constexpr int kTypeNameLength = 4;
constexpr int kLevelNameBase = 128;
constexpr int kLevelNameLength = 8;
constexpr int kNameStyleByte = 254;
constexpr int kSourceBase = 256;
constexpr int kDestinationBase = 2304;
constexpr int kAreaBase = 5376;
constexpr int kAreaNameBase = 5384;
constexpr int kAreaNameLength = 5; // four characters and a zero byte
constexpr int kStationBits = 5408;
constexpr int kStationList = 5568;
constexpr int kStationTypes = 5824;
constexpr int kStations = 255;
constexpr int kModelName = 8160;
constexpr int kModelNameLength = 8;
constexpr int kControllerType = 8191;
constexpr int kTypeMode = kHalf + 253;
constexpr int kLevelMode = kHalf + 255;

// Compares the parts of the two images one by one and marks every byte it has put into words.
class Comparer {
public:
    Comparer(const QString& file, const QByteArray& oldText, const QByteArray& newText, MeaningChanges* out)
        : m_file(file), m_old(image::Decode(oldText, TerminalLabels::kImageSize)),
          m_new(image::Decode(newText, TerminalLabels::kImageSize)),
          m_covered(TerminalLabels::kImageSize, false), m_out(out) {
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
        for (int t = 0; t < TerminalLabels::kTypes; ++t)
            Text(QStringLiteral("type-name"), QStringLiteral("type %1 name").arg(t + 1),
                 (t / 16) * kHalf + (t % 16) * kTypeNameStride, kTypeNameLength,
                 {{QStringLiteral("type"), t + 1}});
    }

    void LevelNames() {
        for (int n = 1; n <= 16; ++n)
            Text(QStringLiteral("level-name"), QStringLiteral("level %1 name").arg(n),
                 (n > 8 ? kHalf : 0) + kLevelNameBase + ((n - 1) % 8) * kLevelNameLength, kLevelNameLength,
                 {{QStringLiteral("level"), n}});
    }

    void Modes() {
        // Only the top bit of this byte is the name style; other bits stay for the byte ranges.
        if ((Old(kNameStyleByte) ^ New(kNameStyleByte)) & 0x80) {
            const auto style = [](int b) {
                return (b & 0x80) ? QStringLiteral("DescName") : QStringLiteral("TypeNum");
            };
            m_out->append(ChangeText::Value(m_file, QStringLiteral("setting"), QStringLiteral("name style"),
                                            style(Old(kNameStyleByte)), style(New(kNameStyleByte))));
        }
        m_covered[kNameStyleByte] = ((Old(kNameStyleByte) ^ New(kNameStyleByte)) & 0x7F) == 0;
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
        const int base = destination ? kDestinationBase : kSourceBase;
        const int stride = destination ? 5 : 4;
        for (int j = 0; j < kTerminalCount; ++j) {
            const int at = (j / 512) * kHalf + base + stride * (j % 512);
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
        const int at = kAreaBase + 2 * k;
        return (static_cast<unsigned char>(img[at]) | (static_cast<unsigned char>(img[at + 1]) << 8)) + 1;
    }

    void ControlArea() {
        if (Differs(kAreaBase, 8)) {
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
        Text(QStringLiteral("control-area"), QStringLiteral("control area name"), kAreaNameBase,
             kAreaNameLength);
    }

    void Stations() {
        for (int u = 1; u <= kStations; ++u) {
            const int at = kStationBits + (u - 1) / 8;
            const int bit = 0x80 >> ((u - 1) % 8);
            const QJsonObject fields{{QStringLiteral("station"), u}};
            if ((Old(at) ^ New(at)) & bit)
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1").arg(u),
                    (Old(at) & bit) ? QStringLiteral("present") : QStringLiteral("absent"),
                    (New(at) & bit) ? QStringLiteral("present") : QStringLiteral("absent"), fields));
            if (Differs(kStationList + u - 1, 1))
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1 detected unit").arg(u),
                    Hex(Old(kStationList + u - 1)), Hex(New(kStationList + u - 1)), fields));
            if (Differs(kStationTypes + u - 1, 1))
                m_out->append(ChangeText::Value(
                    m_file, QStringLiteral("station"), QStringLiteral("station %1 device type").arg(u),
                    Hex(Old(kStationTypes + u - 1)), Hex(New(kStationTypes + u - 1)), fields));
        }
        // Bit 0 of the last bitmap byte would be station 256, which does not exist.
        std::fill_n(m_covered.begin() + kStationBits, 31, true);
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
