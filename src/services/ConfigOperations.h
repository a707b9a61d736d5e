#pragma once

#include "services/ImageStore.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qdv {

// Entries of the service requests and answers, as plain values.
struct NumberedName {
    int no = 0;
    std::string name;
    bool operator==(const NumberedName&) const = default;
};
struct ModeEntry {
    std::string item;
    std::string value;
    bool operator==(const ModeEntry&) const = default;
};
struct UnitFlag {
    int no = 0;
    bool active = false;
    bool operator==(const UnitFlag&) const = default;
};
struct UnitValue {
    int no = 0;
    int value = 0;
    bool operator==(const UnitValue&) const = default;
};
struct CtrlAreaRequest {
    std::optional<int> srcStart, srcEnd, dstStart, dstEnd;
    std::optional<std::string> name;
};
struct CtrlArea {
    int srcStart = 0, srcEnd = 0, dstStart = 0, dstEnd = 0;
    std::string name;
    bool operator==(const CtrlArea&) const = default;
};
struct ProductInfo {
    std::string productName;
    int running = 1;
    int reserved = 0;
};
// A source or destination terminal (No 0 to 1023): its label (type number 1 to 32 and number) in the
// standard settings and its description in the names file. Absent members are left as they are by a
// Set and answered when their image is loaded by a Get.
struct Terminal {
    int no = 0;
    std::optional<int> type;
    std::optional<int> number;
    std::optional<std::string> name;
    bool operator==(const Terminal&) const = default;
};
// A terminal in a name group: a source or a destination numbered 1 to 1024.
struct GroupTerminal {
    bool dst = false;
    int no = 0;
    bool operator==(const GroupTerminal&) const = default;
};
struct NameGroup {
    int no = 0; // 1 to 8
    std::vector<GroupTerminal> terminals;
    bool operator==(const NameGroup&) const = default;
};
enum class TerminalSide { kSource, kDestination };
// The device a GetInfo answer describes; the rest of its members are fixed.
struct DeviceIdentity {
    std::string deviceName;
    int deviceCode = 0;
};

// The operations of the hosted services on the data images, without any SOAP: each Set operation
// checks its entries against their ranges (others are skipped), changes the image and writes its file
// back before it answers "OK" or the file's error text; Get operations answer from the images, or
// nothing when the image was never loaded (the caller reports MissingText then). Texts (names and
// descriptions) are UTF-8 here and stored in the controller's 8-bit character set; an entry whose text
// has no place there is skipped, and the answer gets a line naming it ("\nTypeName 3 skipped: ...").
class ConfigOperations {
public:
    // The backup data path of the selected setup at the time of the call; empty when there is none.
    using FolderSource = std::function<QString()>;

    ConfigOperations(ImageStore& images, FolderSource folder);

    static std::string MissingText(ImageStore::Id id);    // "\nZEBU_STD.DAU File doesn't exist."
    static std::string WriteErrorText(ImageStore::Id id); // "\nZEBU_STD.DAU File write error."

    // Reloads the standard settings and names the device by its controller type byte; none for an
    // unknown type or a missing file.
    std::optional<DeviceIdentity> GetInfo();
    // Reloads every image from the selected setup's folder.
    ProductInfo GetProductInfo();

    std::string SetTypeName(const std::vector<NumberedName>& entries);
    std::optional<std::vector<NumberedName>> GetTypeName(const std::vector<int>& numbers);
    std::string SetLvName(const std::vector<NumberedName>& entries);
    std::optional<std::vector<NumberedName>> GetLvName(const std::vector<int>& numbers);
    std::string SetCtrlArea(const CtrlAreaRequest& given);
    std::optional<CtrlArea> GetCtrlArea();
    std::string SetConfMode(const std::vector<ModeEntry>& entries);
    std::optional<std::vector<ModeEntry>> GetConfMode();
    std::string SetActiveUnit(const std::vector<UnitFlag>& entries);
    std::optional<std::vector<UnitFlag>> GetActiveUnit(const std::vector<int>& numbers);
    std::string SetDetUnit(const std::vector<UnitValue>& entries);
    std::optional<std::vector<UnitValue>> GetDetUnit(const std::vector<int>& numbers);
    // Terminal labels go to ZEBU_STD.DAU, descriptions to ZEBU_NME.DAU; only the files an accepted
    // entry touches must be loaded and are written back.
    std::string SetTerm(TerminalSide side, const std::vector<Terminal>& given);
    // Labels from ZEBU_STD.DAU (which must be loaded), descriptions when ZEBU_NME.DAU is loaded.
    std::optional<std::vector<Terminal>> GetTerm(TerminalSide side, const std::vector<int>& numbers);
    // Name groups are the blocks of the names file's change list (ZEBU_NME.DAU).
    std::optional<std::vector<NameGroup>> GetNameGroup(const std::vector<int>& numbers);
    std::string AddNameGroup(const std::vector<NameGroup>& groups);
    // Removes the terminals given; a group given without terminals is emptied.
    std::string DelNameGroup(const std::vector<NameGroup>& groups);

private:
    // Under the exclusive lock: answers MissingText of the first image of `needed` that is not loaded,
    // else lets `change` alter the images and writes back each image it names as changed, once.
    template <typename Change> std::string ChangeImages(std::vector<ImageStore::Id> needed, Change change);
    template <typename Change> std::string ChangeStd(Change change);
    template <typename Read>
    auto ReadStd(Read read)
        -> std::optional<decltype(read(std::declval<const std::vector<std::uint8_t>&>()))>;

    ImageStore& m_images;
    FolderSource m_folder;
};

} // namespace qdv
