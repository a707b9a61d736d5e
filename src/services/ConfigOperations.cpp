#include "services/ConfigOperations.h"

#include "convert/TerminalSide.h"
#include "convert/TerminalTextCodec.h"
#include "store/StandardSettingsLayout.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qdv {
namespace {

using namespace stdlayout;

constexpr int kCtrlAreaNameRead = 8; // GetCtrlArea reads past the name and its zero byte
constexpr int kCtrlAreaMax = 4093;
constexpr int kCtrlAreaSpan = 1023;

// Places in the names image (ZEBU_NME.DAU).
constexpr int kDescriptionChars = 16; // source j at 16 × j, destination j at kDestinationNames + 16 × j
constexpr int kDestinationNames = 16384;
constexpr int kGroupCounts = 33024; // one count byte per name group
constexpr int kGroupBlocks = 33032; // one block of entries per name group
constexpr int kGroups = 8;
constexpr int kGroupEntries = 160;
constexpr int kGroupEntryBytes = 2; // high byte first: bit 15 for a destination, then the number
constexpr std::uint16_t kGroupDst = 0x8000;

// How often a change is made anew on a file that another writer replaced during its write-back.
constexpr int kChangeAttempts = 8;

using Bytes = std::vector<std::uint8_t>;

// Up to `max` characters from `offset`, ending at the first zero byte.
std::string TextAt(const Bytes& b, int offset, int max) {
    std::string s;
    for (int i = 0; i < max && b[static_cast<std::size_t>(offset + i)] != 0; ++i)
        s.push_back(static_cast<char>(b[static_cast<std::size_t>(offset + i)]));
    return s;
}

// Texts travel as UTF-8; the images hold the controller's 8-bit characters (ASCII and half-width
// katakana). A byte outside that set is answered as U+FFFD.
std::string WireText(const std::string& bytes) {
    return TerminalTextCodec::Display(QByteArray::fromStdString(bytes)).toStdString();
}

enum class TextRule {
    kName,        // level and control area names
    kTypeName,    // type names also stand in the description text's fields
    kDescription, // descriptions: the description text cuts at "/" and splits at ","
};

// The bytes `text` takes in the controller's character set, or why it cannot be stored: a control
// character, a character without an 8-bit form, or a field separator of the description text.
std::optional<std::string> DeviceText(const std::string& text, TextRule rule, std::string* why) {
    const QString chars = QString::fromUtf8(text);
    for (const QChar c : chars) {
        const char16_t u = c.unicode();
        const QString code =
            QStringLiteral("U+%1").arg(static_cast<int>(u), 4, 16, QLatin1Char('0')).toUpper();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0)) {
            *why = "a control character (" + code.toStdString() + ")";
            return std::nullopt;
        }
        if (rule != TextRule::kName && (u == ',' || u == '/')) {
            *why = std::string("\"") + static_cast<char>(u) +
                   "\", which separates the fields of the description text";
            return std::nullopt;
        }
        // The private-use characters that the editors use for bytes outside the set are no text.
        if ((u >= 0xE000 && u <= 0xE0FF) || TerminalTextCodec::FirstRefused(QString(c)) >= 0) {
            *why =
                "\"" + QString(c).toStdString() + "\" (" + code.toStdString() + "), which has no 8-bit form";
            return std::nullopt;
        }
    }
    QByteArray bytes;
    TerminalTextCodec::Encode(chars, &bytes);
    return bytes.toStdString();
}

// The line of an answer that names an entry skipped for its text.
std::string SkippedLine(const char* what, int no, const std::string& why) {
    return "\n" + std::string(what) + " " + std::to_string(no) + " skipped: it holds " + why + ".";
}

// The entries of `entries` whose names can be stored, as the controller's bytes; `skipped` gets a line
// for each of the others.
std::vector<NumberedName> DeviceNames(const std::vector<NumberedName>& entries, TextRule rule,
                                      const char* what, std::string& skipped) {
    std::vector<NumberedName> out;
    for (const NumberedName& e : entries) {
        std::string why;
        if (const auto bytes = DeviceText(e.name, rule, &why))
            out.push_back({e.no, *bytes});
        else
            skipped += SkippedLine(what, e.no, why);
    }
    return out;
}

// Clears `slot` bytes at `offset` and copies up to `slot` characters of `text` there.
void PutText(Bytes& b, int offset, int slot, const std::string& text) {
    std::fill_n(b.begin() + offset, slot, std::uint8_t{0});
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), static_cast<std::size_t>(slot)),
                b.begin() + offset);
}

int TypeNameOffset(int n) {
    return n >= 1 && n <= kTypes ? TypeNameAt(n - 1) : -1;
}

int LevelNameOffset(int n) {
    return n >= 1 && n <= kLevels ? LevelNameAt(n - 1) : -1;
}

// The change of SetTypeName and SetLvName: each entry's name into the slot `offset` gives its number,
// cleared first; numbers without a slot are skipped.
auto PutNames(const std::vector<NumberedName>& entries, int (*offset)(int), int chars) {
    return [&entries, offset, chars](Bytes& b) {
        for (const NumberedName& e : entries) {
            if (const int at = offset(e.no); at >= 0)
                PutText(b, at, chars, e.name);
        }
        return true;
    };
}

// The read of GetTypeName and GetLvName: the name in the slot of each number that has one.
auto NamesAt(const std::vector<int>& numbers, int (*offset)(int), int chars) {
    return [&numbers, offset, chars](const Bytes& b) {
        std::vector<NumberedName> out;
        for (const int n : numbers) {
            if (const int at = offset(n); at >= 0)
                out.push_back({n, WireText(TextAt(b, at, chars))});
        }
        return out;
    };
}

bool ValidUnit(int u) {
    return u >= 1 && u <= kStations;
}

std::size_t ActiveByte(int u) {
    return static_cast<std::size_t>(kStationBitmap + StationBitmapByte(u));
}

int U16At(const Bytes& b, int offset) {
    return b[static_cast<std::size_t>(offset)] | (b[static_cast<std::size_t>(offset) + 1] << 8);
}

void PutU16(Bytes& b, int offset, int v) {
    b[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(v & 0xFF);
    b[static_cast<std::size_t>(offset) + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// The number held in bytes 0 and 1 of a terminal entry, converted between its two forms: three decimal
// digits (Type16) and a binary number in the low 11 bits (Type32). The upper four bits of byte 0 and the
// entry's other bytes belong to other fields and stay.
void ToType32(std::uint8_t* e) {
    const int n = (e[0] & 0x0F) * 100 + (e[1] >> 4) * 10 + (e[1] & 0x0F);
    e[0] = static_cast<std::uint8_t>((e[0] & 0xF0) | ((n >> 8) & 0x0F));
    e[1] = static_cast<std::uint8_t>(n & 0xFF);
}

void ToType16(std::uint8_t* e) {
    const int n = ((e[0] & 0x07) << 8) | e[1];
    e[0] = static_cast<std::uint8_t>((e[0] & 0xF0) | ((n / 100) & 0x0F));
    e[1] = static_cast<std::uint8_t>((((n % 100) / 10) << 4) | (n % 10));
}

void ConvertTerminalNumbers(Bytes& b, bool toType32) {
    for (int j = 0; j < kTerminalsPerHalf; ++j) {
        for (std::uint8_t* e : {&b[static_cast<std::size_t>(SourceEntryAt(j))],
                                &b[static_cast<std::size_t>(DestinationEntryAt(j))]})
            toType32 ? ToType32(e) : ToType16(e);
    }
}

// Terminal entries of the standard settings; bytes 0 and 1 hold the label, the entry's other bytes are
// not the label's and stay.
std::size_t TerminalOffset(TerminalSide side, int j) {
    return static_cast<std::size_t>(side == TerminalSide::kSource ? SourceEntryAt(j) : DestinationEntryAt(j));
}

bool DecimalAt(const Bytes& b, int j) {
    return DecimalLabel(j, b[kTypeMode] != 0);
}

// The label as a type number (type index + 1) and a number.
std::pair<int, int> LabelAt(const Bytes& b, TerminalSide side, int j) {
    const std::uint8_t* e = &b[TerminalOffset(side, j)];
    const EntryLabel label = LabelOf(DecimalAt(b, j), e[0], e[1]);
    return {label.typeIndex + 1, label.number};
}

// False, changing nothing, when the type or number does not fit the entry's form.
bool PutLabel(Bytes& b, TerminalSide side, int j, int type, int number) {
    const bool decimal = DecimalAt(b, j);
    if (type < 1 || type > (decimal ? kTypesPerHalf : kTypes) || number < 0 ||
        number > (decimal ? 999 : kTerminalCount - 1))
        return false;
    const auto bytes = LabelBytes(decimal, type - 1, number);
    std::copy(bytes.begin(), bytes.end(), &b[TerminalOffset(side, j)]);
    return true;
}

int DescriptionOffset(TerminalSide side, int j) {
    return (side == TerminalSide::kSource ? 0 : kDestinationNames) + j * kDescriptionChars;
}

bool ValidTerminal(int j) {
    return j >= 0 && j < kTerminalCount;
}

// Name groups: group g (1 to 8) holds the count byte at kGroupCounts + g − 1 (at most 160) and its
// entries in the g-th block of 160 two-byte entries.
std::size_t GroupEntryOffset(int g, int k) {
    return static_cast<std::size_t>(kGroupBlocks + (g - 1) * kGroupEntries * kGroupEntryBytes +
                                    k * kGroupEntryBytes);
}

std::vector<GroupTerminal> GroupAt(const Bytes& b, int g) {
    const int count = std::min<int>(b[static_cast<std::size_t>(kGroupCounts + g - 1)], kGroupEntries);
    std::vector<GroupTerminal> out;
    for (int k = 0; k < count; ++k) {
        const std::size_t at = GroupEntryOffset(g, k);
        const int v = (b[at] << 8) | b[at + 1];
        out.push_back({(v & kGroupDst) != 0, v & ~kGroupDst});
    }
    return out;
}

void PutGroup(Bytes& b, int g, const std::vector<GroupTerminal>& terminals) {
    b[static_cast<std::size_t>(kGroupCounts + g - 1)] = static_cast<std::uint8_t>(terminals.size());
    for (int k = 0; k < kGroupEntries; ++k) {
        const std::size_t at = GroupEntryOffset(g, k);
        const std::size_t i = static_cast<std::size_t>(k);
        const int v = i < terminals.size() ? (terminals[i].dst ? kGroupDst : 0) | terminals[i].no : 0;
        b[at] = static_cast<std::uint8_t>(v >> 8);
        b[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
    }
}

void AddOnce(std::vector<ImageStore::Id>& ids, ImageStore::Id id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        ids.push_back(id);
}

bool ValidGroup(int g) {
    return g >= 1 && g <= kGroups;
}

bool ValidGroupTerminal(const GroupTerminal& t) {
    return t.no >= 1 && t.no <= kTerminalCount;
}

std::optional<int> InCtrlRange(const std::optional<int>& v) {
    if (v && *v >= 1 && *v <= kCtrlAreaMax)
        return v;
    return std::nullopt;
}

// An end below its start becomes the start; a range wider than 1024 numbers is cut to 1024.
void ClampRange(const std::optional<int>& start, std::optional<int>& end) {
    if (start && end)
        end = std::clamp(*end, *start, *start + kCtrlAreaSpan);
}

} // namespace

ConfigOperations::ConfigOperations(ImageStore& images, FolderSource folder)
    : m_images(images), m_folder(std::move(folder)) {}

std::string ConfigOperations::MissingText(ImageStore::Id id) {
    return std::string("\n") + ImageStore::FileName(id) + " File doesn't exist.";
}

std::string ConfigOperations::WriteErrorText(ImageStore::Id id) {
    return std::string("\n") + ImageStore::FileName(id) + " File write error.";
}

template <typename Change>
std::string ConfigOperations::ChangeImages(std::vector<ImageStore::Id> needed, Change change) {
    // A change waits while another writer (a receive, an import) has the backup folder, and holds it
    // until its files are written.
    FolderLock folder;
    if (!needed.empty() && !m_images.HoldFolder(folder, needed.front(), m_folder()))
        return WriteErrorText(needed.front());
    // A file that another writer replaced meanwhile is read again and the change made anew on it, so
    // that a write-back never takes back what that writer stored.
    for (int attempt = 0; attempt < kChangeAttempts; ++attempt) {
        m_images.Refresh(needed);
        std::vector<ImageStore::Change> changes;
        {
            const std::unique_lock lock(m_images.Mutex());
            for (const ImageStore::Id id : needed) {
                if (!m_images.Loaded(id))
                    return MissingText(id);
            }
            for (const ImageStore::Id id : change())
                changes.push_back(m_images.MarkChanged(id));
        }
        // The answer waits until the files hold the change; the first file that fails is named.
        std::string answer = "OK";
        bool stale = false;
        for (const ImageStore::Change& c : changes) {
            const ImageStore::Persisted result = m_images.Persist(c);
            stale = stale || result == ImageStore::Persisted::kStale;
            if (result == ImageStore::Persisted::kFailed && answer == "OK")
                answer = WriteErrorText(c.id);
        }
        if (!stale)
            return answer;
    }
    return WriteErrorText(needed.empty() ? ImageStore::kStd : needed.front());
}

template <typename Change> std::string ConfigOperations::ChangeStd(Change change) {
    return ChangeImages({ImageStore::kStd}, [&] {
        return change(m_images.Bytes(ImageStore::kStd)) ? std::vector{ImageStore::kStd}
                                                        : std::vector<ImageStore::Id>{};
    });
}

template <typename Read>
auto ConfigOperations::ReadStd(Read read)
    -> std::optional<decltype(read(std::declval<const std::vector<std::uint8_t>&>()))> {
    m_images.Refresh({ImageStore::kStd});
    const std::shared_lock lock(m_images.Mutex());
    if (!m_images.Loaded(ImageStore::kStd))
        return std::nullopt;
    return read(std::as_const(m_images).Bytes(ImageStore::kStd));
}

std::optional<DeviceIdentity> ConfigOperations::GetInfo() {
    m_images.Reload({ImageStore::kStd}, m_folder());
    const std::shared_lock lock(m_images.Mutex());
    if (!m_images.Loaded(ImageStore::kStd))
        return std::nullopt;
    switch (m_images.Bytes(ImageStore::kStd)[kControllerType]) {
    case 'd':
        return DeviceIdentity{"KMC-1100(P)", 100};
    case 'e':
        return DeviceIdentity{"KMC-1000(P)", 101};
    case '<':
        return DeviceIdentity{"JRVM-D60(P)", 60};
    case '8':
        return DeviceIdentity{"RVQ-T7700(P)", 56};
    default:
        return std::nullopt;
    }
}

ProductInfo ConfigOperations::GetProductInfo() {
    m_images.Reload({ImageStore::kStd, ImageStore::kTln, ImageStore::kGph, ImageStore::kLvg, ImageStore::kInh,
                     ImageStore::kSgp, ImageStore::kIdx, ImageStore::kNme},
                    m_folder());
    const std::shared_lock lock(m_images.Mutex());
    ProductInfo info;
    const std::string model = TextAt(m_images.Bytes(ImageStore::kStd), kModelName, kModelNameLength);
    if (model == "KMC-1100")
        info.productName = "KMC-1100(P)";
    else if (model == "KMC-1000")
        info.productName = "KMC-1000(P)";
    else if (model == "JRVM-D60")
        info.productName = "JRVM-D60";
    else
        info.productName = "RVQ-T7700";
    return info;
}

std::string ConfigOperations::SetTypeName(const std::vector<NumberedName>& entries) {
    std::string skipped;
    const std::vector<NumberedName> names = DeviceNames(entries, TextRule::kTypeName, "TypeName", skipped);
    return ChangeStd(PutNames(names, TypeNameOffset, kTypeNameLength)) + skipped;
}

std::optional<std::vector<NumberedName>> ConfigOperations::GetTypeName(const std::vector<int>& numbers) {
    return ReadStd(NamesAt(numbers, TypeNameOffset, kTypeNameLength));
}

std::string ConfigOperations::SetLvName(const std::vector<NumberedName>& entries) {
    std::string skipped;
    const std::vector<NumberedName> names = DeviceNames(entries, TextRule::kName, "LvName", skipped);
    return ChangeStd(PutNames(names, LevelNameOffset, kLevelNameLength)) + skipped;
}

std::optional<std::vector<NumberedName>> ConfigOperations::GetLvName(const std::vector<int>& numbers) {
    return ReadStd(NamesAt(numbers, LevelNameOffset, kLevelNameLength));
}

std::string ConfigOperations::SetCtrlArea(const CtrlAreaRequest& given) {
    CtrlAreaRequest request = given;
    std::string skipped, why;
    if (request.name) {
        request.name = DeviceText(*given.name, TextRule::kName, &why);
        if (!request.name)
            skipped = "\nName skipped: it holds " + why + ".";
    }
    return ChangeStd([&](Bytes& b) {
               // In Level16 mode the control area is fixed.
               if (b[kLevelMode] != 0)
                   return false;
               const std::optional<int> srcStart = InCtrlRange(request.srcStart),
                                        dstStart = InCtrlRange(request.dstStart);
               std::optional<int> srcEnd = InCtrlRange(request.srcEnd), dstEnd = InCtrlRange(request.dstEnd);
               ClampRange(srcStart, srcEnd);
               ClampRange(dstStart, dstEnd);
               const std::optional<int> values[] = {srcStart, srcEnd, dstStart, dstEnd};
               for (int i = 0; i < 4; ++i) {
                   if (values[i])
                       PutU16(b, kControlArea + 2 * i, *values[i] - 1);
               }
               if (request.name) {
                   PutText(b, kControlAreaName, kControlAreaNameLength, *request.name);
                   b[kControlAreaName + kControlAreaNameLength] = 0;
               }
               return true;
           }) +
           skipped;
}

std::optional<CtrlArea> ConfigOperations::GetCtrlArea() {
    return ReadStd([&](const Bytes& b) {
        CtrlArea a;
        if (b[kLevelMode] != 0) {
            a.srcStart = 1;
            a.srcEnd = 1024;
            a.dstStart = 1;
            a.dstEnd = 512;
        } else {
            a.srcStart = U16At(b, kControlArea) + 1;
            a.srcEnd = U16At(b, kControlArea + 2) + 1;
            a.dstStart = U16At(b, kControlArea + 4) + 1;
            a.dstEnd = U16At(b, kControlArea + 6) + 1;
        }
        a.name = WireText(TextAt(b, kControlAreaName, kCtrlAreaNameRead));
        return a;
    });
}

std::string ConfigOperations::SetConfMode(const std::vector<ModeEntry>& entries) {
    return ChangeStd([&](Bytes& b) {
        for (const ModeEntry& e : entries) {
            if (e.item == "NameStyle") {
                if (e.value == "TypeNum")
                    b[kNameStyle] &= static_cast<std::uint8_t>(~kNameStyleDescription);
                else if (e.value == "DescName")
                    b[kNameStyle] |= kNameStyleDescription;
            } else if (e.item == "TypeMode") {
                const int mode = e.value == "Type16" ? 0 : e.value == "Type32" ? 1 : -1;
                if (mode < 0 || b[kTypeMode] == mode)
                    continue;
                b[kTypeMode] = static_cast<std::uint8_t>(mode);
                ConvertTerminalNumbers(b, mode == 1);
            } else if (e.item == "LevelMode") {
                if (e.value == "Level8")
                    b[kLevelMode] = 0;
                else if (e.value == "Level16")
                    b[kLevelMode] = 1;
            }
        }
        return true;
    });
}

std::optional<std::vector<ModeEntry>> ConfigOperations::GetConfMode() {
    return ReadStd([&](const Bytes& b) {
        return std::vector<ModeEntry>{
            {"NameStyle", (b[kNameStyle] & kNameStyleDescription) ? "DescName" : "TypeNum"},
            {"TypeMode", b[kTypeMode] != 0 ? "Type32" : "Type16"},
            {"LevelMode", b[kLevelMode] != 0 ? "Level16" : "Level8"},
        };
    });
}

std::string ConfigOperations::SetActiveUnit(const std::vector<UnitFlag>& entries) {
    return ChangeStd([&](Bytes& b) {
        for (const UnitFlag& e : entries) {
            if (!ValidUnit(e.no))
                continue;
            if (e.active)
                b[ActiveByte(e.no)] |= StationBit(e.no);
            else
                b[ActiveByte(e.no)] &= static_cast<std::uint8_t>(~StationBit(e.no));
        }
        return true;
    });
}

std::optional<std::vector<UnitFlag>> ConfigOperations::GetActiveUnit(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<UnitFlag> out;
        for (const int u : numbers) {
            if (ValidUnit(u))
                out.push_back({u, (b[ActiveByte(u)] & StationBit(u)) != 0});
        }
        return out;
    });
}

std::string ConfigOperations::SetDetUnit(const std::vector<UnitValue>& entries) {
    return ChangeStd([&](Bytes& b) {
        for (const UnitValue& e : entries) {
            // The value is one byte: a larger one would be stored cut, so it is skipped like a bad unit.
            if (!ValidUnit(e.no) || e.value < 0 || e.value > 255)
                continue;
            b[static_cast<std::size_t>(kStationUnits - 1 + e.no)] = static_cast<std::uint8_t>(e.value);
            if (e.value == 0)
                b[static_cast<std::size_t>(kStationDeviceTypes - 1 + e.no)] = 0;
        }
        return true;
    });
}

std::optional<std::vector<UnitValue>> ConfigOperations::GetDetUnit(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<UnitValue> out;
        for (const int u : numbers) {
            if (ValidUnit(u))
                out.push_back({u, b[static_cast<std::size_t>(kStationUnits - 1 + u)]});
        }
        return out;
    });
}

// A terminal's label goes into its entry of the standard settings, its description into the names
// file. An entry whose number, type or label number is out of range for its place is skipped whole.
std::string ConfigOperations::SetTerm(TerminalSide side, const std::vector<Terminal>& given) {
    // Descriptions travel as fields of lines of text (the description text forms, the editors): a
    // terminal whose description breaks their rules is skipped whole.
    std::vector<Terminal> entries;
    std::string skipped;
    for (const Terminal& t : given) {
        if (!ValidTerminal(t.no))
            continue;
        Terminal accepted = t;
        std::string why;
        if (t.name && !(accepted.name = DeviceText(*t.name, TextRule::kDescription, &why))) {
            skipped += SkippedLine(side == TerminalSide::kSource ? "SrcTerm" : "DstTerm", t.no, why);
            continue;
        }
        entries.push_back(std::move(accepted));
    }
    std::vector<ImageStore::Id> needed;
    for (const Terminal& t : entries) {
        if (t.type || t.number)
            AddOnce(needed, ImageStore::kStd);
        if (t.name)
            AddOnce(needed, ImageStore::kNme);
    }
    return ChangeImages(
               needed,
               [&] {
                   std::vector<ImageStore::Id> changed;
                   for (const Terminal& t : entries) {
                       if (t.type || t.number) {
                           Bytes& b = m_images.Bytes(ImageStore::kStd);
                           const auto [type, number] = LabelAt(b, side, t.no);
                           if (!PutLabel(b, side, t.no, t.type.value_or(type), t.number.value_or(number)))
                               continue;
                           AddOnce(changed, ImageStore::kStd);
                       }
                       if (t.name) {
                           PutText(m_images.Bytes(ImageStore::kNme), DescriptionOffset(side, t.no),
                                   kDescriptionChars, *t.name);
                           AddOnce(changed, ImageStore::kNme);
                       }
                   }
                   return changed;
               }) +
           skipped;
}

std::optional<std::vector<Terminal>> ConfigOperations::GetTerm(TerminalSide side,
                                                               const std::vector<int>& numbers) {
    m_images.Refresh({ImageStore::kStd, ImageStore::kNme});
    const std::shared_lock lock(m_images.Mutex());
    if (!m_images.Loaded(ImageStore::kStd))
        return std::nullopt;
    const Bytes& b = std::as_const(m_images).Bytes(ImageStore::kStd);
    const bool names = m_images.Loaded(ImageStore::kNme);
    std::vector<Terminal> out;
    for (const int j : numbers) {
        if (!ValidTerminal(j))
            continue;
        const auto [type, number] = LabelAt(b, side, j);
        Terminal t{j, type, number, std::nullopt};
        if (names)
            t.name = WireText(TextAt(std::as_const(m_images).Bytes(ImageStore::kNme),
                                     DescriptionOffset(side, j), kDescriptionChars));
        out.push_back(t);
    }
    return out;
}

std::optional<std::vector<NameGroup>> ConfigOperations::GetNameGroup(const std::vector<int>& numbers) {
    m_images.Refresh({ImageStore::kNme});
    const std::shared_lock lock(m_images.Mutex());
    if (!m_images.Loaded(ImageStore::kNme))
        return std::nullopt;
    std::vector<NameGroup> out;
    for (const int g : numbers) {
        if (ValidGroup(g))
            out.push_back({g, GroupAt(std::as_const(m_images).Bytes(ImageStore::kNme), g)});
    }
    return out;
}

// Terminals already in the group are not added twice; a group holds at most 160, further ones are
// skipped.
std::string ConfigOperations::AddNameGroup(const std::vector<NameGroup>& groups) {
    return ChangeImages({ImageStore::kNme}, [&] {
        Bytes& b = m_images.Bytes(ImageStore::kNme);
        for (const NameGroup& g : groups) {
            if (!ValidGroup(g.no))
                continue;
            std::vector<GroupTerminal> terminals = GroupAt(b, g.no);
            for (const GroupTerminal& t : g.terminals) {
                if (ValidGroupTerminal(t) && terminals.size() < kGroupEntries &&
                    std::find(terminals.begin(), terminals.end(), t) == terminals.end())
                    terminals.push_back(t);
            }
            PutGroup(b, g.no, terminals);
        }
        return std::vector{ImageStore::kNme};
    });
}

std::string ConfigOperations::DelNameGroup(const std::vector<NameGroup>& groups) {
    return ChangeImages({ImageStore::kNme}, [&] {
        Bytes& b = m_images.Bytes(ImageStore::kNme);
        for (const NameGroup& g : groups) {
            if (!ValidGroup(g.no))
                continue;
            std::vector<GroupTerminal> terminals = GroupAt(b, g.no);
            if (g.terminals.empty())
                terminals.clear();
            std::erase_if(terminals, [&](const GroupTerminal& t) {
                return std::find(g.terminals.begin(), g.terminals.end(), t) != g.terminals.end();
            });
            PutGroup(b, g.no, terminals);
        }
        return std::vector{ImageStore::kNme};
    });
}

} // namespace qdv
