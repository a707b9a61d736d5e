#include "DiscoveryAnswers.h"
#include "discovery/DeviceSearch.h"
#include "discovery/NetworkDeviceTable.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qdv;
using qdv::test::DiscoveryAnswer;
using qdv::test::TestMac;

namespace {

const QByteArray kMac = TestMac(1);

struct Rig {
    NetworkDeviceTable table;
    void Take(const QByteArray& datagram) { table.TakeDatagram(datagram); }
    void Items(const QList<QByteArray>& items, const QByteArray& mac = kMac) {
        Take(DiscoveryAnswer("MAC", mac, items));
    }
    NetworkDevice First() const { return table.Device(0).value_or(NetworkDevice()); }
};

// Which change bits one item sets on a known device, and what is stored; an item of the same value
// again changes nothing.
TEST(NetworkDeviceTable, changedItem_setsItsGroupBitOnlyAndStoresTheValueCut) {
    using T = NetworkDeviceTable;
    struct Case {
        QByteArray item;
        DeviceField field;
        std::uint32_t mask;
        QByteArray stored;
    };
    const Case cases[] = {
        {"IPADRM:127.0.0.9", DeviceField::IpAdrM, T::kChangeNetwork, "127.0.0.9"},
        {"IPADRM:127.0.0.5", DeviceField::IpAdrM, 0, "127.0.0.5"},
        {"ZEBUID:1234", DeviceField::ZebuId, T::kChangeIdentity, "123"},
        {"GMT:+09:00", DeviceField::Gmt, T::kChangeDate, "+09:0"},
        {"NAME:Studio A", DeviceField::Name, T::kChangeText, "Studio A"},
        // A shorter value replaces the longer one whole.
        {"LOC:Hall", DeviceField::Loc, T::kChangeText, "Hall"},
        {"OPT3:", DeviceField::Opt3, 0, ""}, // an empty value equals the never-written field
        // The item is cut at 256 bytes, key included.
        {"UNIQ:" + QByteArray(300, 'u'), DeviceField::Uniq, T::kChangeText, QByteArray(256 - 5, 'u')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.left(40).toStdString());
        Rig r;
        r.Items({"IPADRM:127.0.0.5", "LOC:Control room 12"});
        EXPECT_EQ(r.table.ChangeMask(), T::kChangeIdentity | T::kChangeNetwork | T::kChangeText);
        const auto revision = r.table.Revision();
        r.Items({c.item});
        EXPECT_EQ(r.table.Count(), 1);
        EXPECT_EQ(r.table.ChangeMask(), c.mask);
        EXPECT_EQ(r.table.Revision() == revision, c.mask == 0);
        EXPECT_EQ(r.First().Value(c.field), c.stored);
        EXPECT_TRUE(r.First().Present(c.field) || !FieldInfo(c.field).hasPresent);
    }
}

TEST(NetworkDeviceTable, skippedItems_leaveTheNextItemsRead) {
    Rig r;
    r.Items({"NOCOLON", "COLOUR:red", "MAC:11-22-33-44-55-66", "model:lower", "INFO:x", "SERIAL:S-42",
             ":empty key", "GPID:7"});
    r.Take(DiscoveryAnswer("MAC", kMac, {"TERM:12"}) + "LOG:99"); // a tail without 0xFF is no item
    const NetworkDevice d = r.First();
    EXPECT_EQ(d.Value(DeviceField::Serial), "S-42");
    EXPECT_EQ(d.Value(DeviceField::Gpid), "7");
    EXPECT_EQ(d.Value(DeviceField::Model), "");
    EXPECT_EQ(d.Value(DeviceField::Term), "12");
    EXPECT_FALSE(d.Present(DeviceField::Log));
    EXPECT_EQ(d.Mac(), QString::fromLatin1(kMac));
}

TEST(NetworkDeviceTable, dateRequest_blocksNewDevicesButUpdatesKnownOnes) {
    Rig r;
    r.Items({"YMDHM:202601010000"});
    r.table.SetRequestKind(NetworkDeviceTable::kRequestDate);
    r.Items({"YMDHM:202612071200"}, TestMac(2));
    r.Items({"YMDHM:202612071200"});
    EXPECT_EQ(r.table.Count(), 1);
    EXPECT_EQ(r.First().Value(DeviceField::Ymdhm), "202612071200");
    r.table.SetRequestKind(1);
    r.Items({}, TestMac(2));
    EXPECT_EQ(r.table.Count(), 2);
}

TEST(NetworkDeviceTable, ackAndNak_markKnownDevicesOnly) {
    const std::pair<QByteArray, int> cases[] = {
        {DiscoveryAnswer("ACK", kMac), NetworkDevice::kAcknowledged},
        {DiscoveryAnswer("NAK", kMac), NetworkDevice::kRefused},
        {DiscoveryAnswer("ACK", TestMac(9)), NetworkDevice::kNone},
        {DiscoveryAnswer("MAC", kMac, {"INFO:DATE OK"}), NetworkDevice::kAcknowledged},
        {DiscoveryAnswer("XYZ", kMac), NetworkDevice::kNone},
    };
    for (const auto& [datagram, status] : cases) {
        Rig r;
        r.Items({});
        r.Take(datagram);
        EXPECT_EQ(r.table.Count(), 1);
        EXPECT_EQ(r.First().answerStatus, status) << datagram.constData();
        r.table.ClearAnswerStatus(NetworkDeviceTable::kNoEntry);
        r.table.ClearAnswerStatus(0);
        EXPECT_EQ(r.First().answerStatus, NetworkDevice::kNone);
    }
}

TEST(NetworkDeviceTable, malformedDatagrams_areIgnored) {
    const QByteArray good = DiscoveryAnswer("MAC", kMac, {"MODEL:X"});
    const QByteArray cases[] = {
        good.left(23),        // shorter than 24 bytes
        "\x03" + good.mid(1), // no STX
        QByteArray(),
    };
    for (const QByteArray& d : cases) {
        Rig r;
        r.Take(d);
        r.table.TakeDeviceAnswer(d.left(10));
        EXPECT_EQ(r.table.Count(), 0) << d.toHex().constData();
    }
}

TEST(NetworkDeviceTable, beyond256Devices_theRestAreCountedOnceAndIgnored) {
    Rig r;
    for (int pass = 0; pass < 2; ++pass)
        for (int n = 0; n < 300; ++n)
            r.Items({"ZEBUID:" + QByteArray::number(n % 254 + 2)}, TestMac(n));
    const NetworkDeviceTable::Snapshot s = r.table.Copy();
    ASSERT_EQ(s.devices.size(), 256u);
    EXPECT_EQ(s.ignoredDevices, 44);
    EXPECT_EQ(s.devices[255].Mac(), QString::fromLatin1(TestMac(255)));
    EXPECT_EQ(s.devices[3].Value(DeviceField::ZebuId), "5");
}

TEST(DeviceSearch, threePassesOfTwoRequests_thenEnds) {
    std::vector<int> kinds;
    bool accept = true;
    DeviceSearch search([&](int entry, int kind) {
        EXPECT_EQ(entry, 255);
        kinds.push_back(kind);
        return accept;
    });
    std::vector<int> waits;
    for (int i = 0; i < 10 && !search.Ended(); ++i)
        waits.push_back(search.Step());
    EXPECT_EQ(kinds, (std::vector<int>{0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(waits, (std::vector<int>{1000, 2000, 1000, 2000, 1000, 2000, DeviceSearch::kEnded}));
    EXPECT_EQ(search.Progress(), DeviceSearch::kProgressSteps);

    // A second run starts from an empty bar; refused requests still move it.
    search.Reset();
    kinds.clear();
    accept = false;
    EXPECT_EQ(search.Progress(), 0);
    search.Step();
    EXPECT_EQ(search.Progress(), 1);
    EXPECT_EQ(search.Refused(), 1);
    EXPECT_EQ(kinds, std::vector<int>{0});
}

} // namespace
