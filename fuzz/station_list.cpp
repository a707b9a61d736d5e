// Arbitrary text as the home folder's Device/DeviceInfo.txt and as a setup's ZEBU_SEC_LIST.dat (named
// through the device table the same text makes). Every kept field stays within its width, and a list
// written back reads as it was written from its second writing on (the first may still gain the names
// of stations whose line ended before the name field, which are named after their type once the field
// is there).
#include "store/DeviceInfoTable.h"
#include "store/StationList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DeviceInfoTable info;
    info.ReadText(text);
    for (int code = 0; code <= 256; ++code) {
        if (info.Name(code).size() > DeviceInfoTable::kNameLength ||
            info.StationName(code).size() > DeviceInfoTable::kNameLength)
            std::abort();
    }

    StationList list;
    list.ReadText(text, info);
    for (int id = 0; id <= 255; ++id) {
        const StationList::Entry& e = list.At(id);
        if (e.name.size() > StationList::kNameLength || e.address.size() > StationList::kAddressLength)
            std::abort();
    }
    StationList again;
    again.ReadText(list.Text(), info);
    const QByteArray written = again.Text();
    StationList third;
    third.ReadText(written, info);
    if (third.Text() != written)
        std::abort();
    return 0;
}
