#include "secondary/FoundDevices.h"
#include "discovery/NetworkDeviceTable.h"
#include "store/StationList.h"

#include <gtest/gtest.h>

namespace qdv {
namespace {

TEST(FoundDevices, readsModelStationAddressAndPrimaryFromTheDeviceTable) {
    NetworkDeviceTable table;
    ASSERT_TRUE(table.TakeDeviceAnswer(QByteArray("\x02MAC 0A-0B-0C-0D-0E-0F "
                                                  "NAME:CAM-12\xFFZEBUID:0123\xFFIPADRM:127.0.0.12\xFF"
                                                  "OPTIP:127.0.0.1\xFFMODEL:X\xFF")));
    const std::vector<FoundDevice> found = FoundDevicesOf(table.Copy().devices);
    ASSERT_EQ(found.size(), 1u);
    // ZEBUID keeps three characters.
    EXPECT_EQ(found[0].name, "X") << "the model, not the free-text name";
    EXPECT_EQ(found[0].stationId, "012");
    EXPECT_EQ(found[0].address, "127.0.0.12");
    EXPECT_EQ(found[0].primaryAddress, "127.0.0.1");
}

TEST(FoundDevices, mergeNamesTheStationsOfThisPrimaryOnly) {
    const QString primary = "127.0.0.1";
    const StationList::Entry menu{true, false, 7, "Router", ""};
    struct Case {
        const char* what;
        FoundDevice device;
        int station;              // the station to look at
        StationList::Entry after; // its entry after the merge
        int matched;
    };
    const Case cases[] = {
        {"named and addressed",
         {"CAM-12", "12", "127.0.0.12", "127.0.0.1"},
         12,
         {true, false, 7, "CAM-12", "127.0.0.12"},
         1},
        {"leading zeros and blanks",
         {"CAM", " 012 ", "127.0.0.12", " 127.0.0.1 "},
         12,
         {true, false, 7, "CAM", "127.0.0.12"},
         1},
        {"another primary", {"CAM-12", "12", "127.0.0.12", "127.0.9.1"}, 12, menu, 0},
        {"no primary address", {"CAM-12", "12", "127.0.0.12", ""}, 12, menu, 0},
        {"station 1", {"P", "1", "127.0.0.2", "127.0.0.1"}, 1, {}, 0},
        {"station 255", {"P", "255", "127.0.0.2", "127.0.0.1"}, 255, {}, 0},
        {"not a number", {"P", "x", "127.0.0.2", "127.0.0.1"}, 12, menu, 0},
        {"no name keeps the menu's",
         {"", "12", "127.0.0.12", "127.0.0.1"},
         12,
         {true, false, 7, "Router", "127.0.0.12"},
         1},
        {"name cut, no IPv4 address kept out",
         {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "12", "127.000.000.00012", "127.0.0.1"},
         12,
         {true, false, 7, "ABCDEFGHIJKLMNOPQRST", ""},
         1},
        {"address of a broadcast",
         {"CAM", "12", "255.255.255.255", "127.0.0.1"},
         12,
         {true, false, 7, "CAM", ""},
         1},
        {"address with a control character",
         {"CAM", "12", "127.0.0.1\x1b[2J", "127.0.0.1"},
         12,
         {true, false, 7, "CAM", ""},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StationList list;
        list.At(12) = menu;
        EXPECT_EQ(MergeFoundDevices(list, primary, {c.device}), c.matched);
        EXPECT_EQ(list.At(c.station), c.after);
    }
    StationList list;
    EXPECT_EQ(MergeFoundDevices(list, "", {{"CAM", "12", "127.0.0.12", ""}}), 0) << "a setup without address";
    EXPECT_EQ(list.At(12), StationList::Entry{});
}

} // namespace
} // namespace qdv
