#include "services/ConfigOperations.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace qdv {
namespace {

// Places in the standard settings image (ZEBU_STD.DAU); the second half starts at kHalf.
constexpr int kHalf = 8192;
constexpr int kTypeNameSlot = 8;
constexpr int kTypeNameChars = 4; // of the 8-byte slot, written and read back
constexpr int kLevelNames = 128;
constexpr int kLevelNameChars = 8;
constexpr int kNameStyle = 254;
constexpr std::uint8_t kNameStyleDesc = 0x80;
constexpr int kSourceEntries = 256;       // 4 bytes each
constexpr int kDestinationEntries = 2304; // 5 bytes each
constexpr int kEntriesPerSide = 512;
constexpr int kCtrlArea = 5376; // source start, source end, destination start, destination end (u16 LE)
constexpr int kCtrlAreaName = 5384;
constexpr int kCtrlAreaNameChars = 4;
constexpr int kCtrlAreaNameRead = 8;
constexpr int kCtrlAreaMax = 4093;
constexpr int kCtrlAreaSpan = 1023;
constexpr int kActiveUnits = 5408;
constexpr int kDetectedUnits = 5567;     // + unit
constexpr int kDetectedUnitsLink = 5823; // + unit, cleared with a detected value of 0
constexpr int kModelName = 8160;
constexpr int kModelNameChars = 8;
constexpr int kControllerType = 8191;
constexpr int kTypeMode = kHalf + 253;
constexpr int kLevelMode = kHalf + 255;
constexpr int kMaxUnit = 255;

using Bytes = std::vector<std::uint8_t>;

// Up to `max` characters from `offset`, ending at the first zero byte.
std::string TextAt(const Bytes& b, int offset, int max) {
    std::string s;
    for (int i = 0; i < max && b[static_cast<std::size_t>(offset + i)] != 0; ++i)
        s.push_back(static_cast<char>(b[static_cast<std::size_t>(offset + i)]));
    return s;
}

// Clears `slot` bytes at `offset` and copies up to `slot` characters of `text` there.
void PutText(Bytes& b, int offset, int slot, const std::string& text) {
    std::fill_n(b.begin() + offset, slot, std::uint8_t{0});
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), static_cast<std::size_t>(slot)),
                b.begin() + offset);
}

int TypeNameOffset(int n) {
    if (n >= 1 && n <= 16)
        return (n - 1) * kTypeNameSlot;
    if (n >= 17 && n <= 32)
        return kHalf + (n - 17) * kTypeNameSlot;
    return -1;
}

int LevelNameOffset(int n) {
    if (n >= 1 && n <= 8)
        return kLevelNames + (n - 1) * kLevelNameChars;
    if (n >= 9 && n <= 16)
        return kHalf + kLevelNames + (n - 9) * kLevelNameChars;
    return -1;
}

bool ValidUnit(int u) {
    return u >= 1 && u <= kMaxUnit;
}

std::uint8_t ActiveBit(int u) {
    return static_cast<std::uint8_t>(0x80 >> ((u - 1) % 8));
}

std::size_t ActiveByte(int u) {
    return static_cast<std::size_t>(kActiveUnits + (u - 1) / 8);
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
    for (int j = 0; j < kEntriesPerSide; ++j) {
        for (std::uint8_t* e : {&b[static_cast<std::size_t>(kSourceEntries + 4 * j)],
                                &b[static_cast<std::size_t>(kDestinationEntries + 5 * j)]})
            toType32 ? ToType32(e) : ToType16(e);
    }
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

template <typename Change> std::string ConfigOperations::ChangeStd(Change change) {
    std::uint64_t number = 0;
    {
        const std::unique_lock lock(m_images.Mutex());
        if (!m_images.Loaded(ImageStore::kStd))
            return MissingText(ImageStore::kStd);
        if (!change(m_images.Bytes(ImageStore::kStd)))
            return "OK";
        number = m_images.MarkChanged(ImageStore::kStd);
    }
    // The answer waits until the file holds the change.
    return m_images.Persist(ImageStore::kStd, number) ? "OK" : WriteErrorText(ImageStore::kStd);
}

template <typename Read>
auto ConfigOperations::ReadStd(Read read)
    -> std::optional<decltype(read(std::declval<const std::vector<std::uint8_t>&>()))> {
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
    const std::string model = TextAt(m_images.Bytes(ImageStore::kStd), kModelName, kModelNameChars);
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
    return ChangeStd([&](Bytes& b) {
        for (const NumberedName& e : entries) {
            if (const int at = TypeNameOffset(e.no); at >= 0)
                PutText(b, at, kTypeNameChars, e.name);
        }
        return true;
    });
}

std::optional<std::vector<NumberedName>> ConfigOperations::GetTypeName(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<NumberedName> out;
        for (const int n : numbers) {
            if (const int at = TypeNameOffset(n); at >= 0)
                out.push_back({n, TextAt(b, at, kTypeNameChars)});
        }
        return out;
    });
}

std::string ConfigOperations::SetLvName(const std::vector<NumberedName>& entries) {
    return ChangeStd([&](Bytes& b) {
        for (const NumberedName& e : entries) {
            if (const int at = LevelNameOffset(e.no); at >= 0)
                PutText(b, at, kLevelNameChars, e.name);
        }
        return true;
    });
}

std::optional<std::vector<NumberedName>> ConfigOperations::GetLvName(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<NumberedName> out;
        for (const int n : numbers) {
            if (const int at = LevelNameOffset(n); at >= 0)
                out.push_back({n, TextAt(b, at, kLevelNameChars)});
        }
        return out;
    });
}

std::string ConfigOperations::SetCtrlArea(const CtrlAreaRequest& request) {
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
                PutU16(b, kCtrlArea + 2 * i, *values[i] - 1);
        }
        if (request.name) {
            PutText(b, kCtrlAreaName, kCtrlAreaNameChars, *request.name);
            b[kCtrlAreaName + kCtrlAreaNameChars] = 0;
        }
        return true;
    });
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
            a.srcStart = U16At(b, kCtrlArea) + 1;
            a.srcEnd = U16At(b, kCtrlArea + 2) + 1;
            a.dstStart = U16At(b, kCtrlArea + 4) + 1;
            a.dstEnd = U16At(b, kCtrlArea + 6) + 1;
        }
        a.name = TextAt(b, kCtrlAreaName, kCtrlAreaNameRead);
        return a;
    });
}

std::string ConfigOperations::SetConfMode(const std::vector<ModeEntry>& entries) {
    return ChangeStd([&](Bytes& b) {
        for (const ModeEntry& e : entries) {
            if (e.item == "NameStyle") {
                if (e.value == "TypeNum")
                    b[kNameStyle] &= static_cast<std::uint8_t>(~kNameStyleDesc);
                else if (e.value == "DescName")
                    b[kNameStyle] |= kNameStyleDesc;
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
            {"NameStyle", (b[kNameStyle] & kNameStyleDesc) ? "DescName" : "TypeNum"},
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
                b[ActiveByte(e.no)] |= ActiveBit(e.no);
            else
                b[ActiveByte(e.no)] &= static_cast<std::uint8_t>(~ActiveBit(e.no));
        }
        return true;
    });
}

std::optional<std::vector<UnitFlag>> ConfigOperations::GetActiveUnit(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<UnitFlag> out;
        for (const int u : numbers) {
            if (ValidUnit(u))
                out.push_back({u, (b[ActiveByte(u)] & ActiveBit(u)) != 0});
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
            b[static_cast<std::size_t>(kDetectedUnits + e.no)] = static_cast<std::uint8_t>(e.value);
            if (e.value == 0)
                b[static_cast<std::size_t>(kDetectedUnitsLink + e.no)] = 0;
        }
        return true;
    });
}

std::optional<std::vector<UnitValue>> ConfigOperations::GetDetUnit(const std::vector<int>& numbers) {
    return ReadStd([&](const Bytes& b) {
        std::vector<UnitValue> out;
        for (const int u : numbers) {
            if (ValidUnit(u))
                out.push_back({u, b[static_cast<std::size_t>(kDetectedUnits + u)]});
        }
        return out;
    });
}

} // namespace qdv
