#include "link/Record.h"
#include "sim/LinePacer.h"
#include "sim/SimulatedController.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

namespace qdv::sim {
namespace {

using record::Fixed;
using record::FixedRecord;

// The controller fed directly, as the PC's line would: each call returns what it answered.
struct Sim {
    qdv::test::TestFolder dir;
    FaultPlan faults;
    SimulatedController controller{dir.Path(), &faults};
    QByteArray out;

    Sim() {
        controller.SetOutput([this](const QByteArray& bytes) { out += bytes; });
    }
    QByteArray Send(QByteArrayView bytes) {
        out.clear();
        controller.Receive(bytes);
        return out;
    }
    bool Handshake() { return Send(record::AttentionSequence()) == FixedRecord(Fixed::Ready); }
};

const QByteArray kAck(1, record::kAck);
const QByteArray kNak(1, record::kNak);

// The engine tests drive the simulator's good paths and faults; these are the refusals they never
// provoke, which keep a damaged or wild request from reaching the simulator's files.
TEST(SimulatedController, refusesWhatItCannotServeOrStore) {
    Sim sim;
    sim.dir.Write(QStringLiteral("Primary/ZEBU_SGP.DAU"), "00\nZZ\r\n");
    sim.dir.Write(QStringLiteral("XPoint/ZEBU_XPT.DAU"), "old");
    QByteArray badChecksum = record::Build(0, '1', 1, '3', 0, {});
    badChecksum[15] = badChecksum[15] == '0' ? '1' : '0';
    const QByteArray name =
        record::NameRecordHeader(7, false) + record::NameBlock(false, 1, 1, "CAM 1           ");
    const struct {
        const char* name;
        QByteArray request;
        QByteArray answer;
    } cases[] = {
        {"missing file", record::BuildRequest('8', 0, '4'), FixedRecord(Fixed::Abort).toByteArray()},
        {"no file has this type", record::BuildRequest('8', 0, 'A'), FixedRecord(Fixed::Abort).toByteArray()},
        {"missing station", record::BuildRequest('9', 0x09, '8'), FixedRecord(Fixed::Abort).toByteArray()},
        {"damaged file", record::BuildRequest('8', 0, '9'), FixedRecord(Fixed::Abort).toByteArray()},
        {"bad checksum", badChecksum, kNak},
        {"crosspoint to destination 0", record::Build(0, 'B', 0, '0', 0, "01000005"), kNak},
        {"crosspoint entry cut short", record::Build(0, 'B', 0, '0', 0, "012C100"), kNak},
        {"name record cut short", record::Build(0, '7', 0, '0', 0, record::ToHex(name.left(20))), kNak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(sim.Send(c.request).isEmpty()) << "nothing is served before the handshake";
        ASSERT_TRUE(sim.Handshake());
        EXPECT_EQ(sim.Send(c.request), c.answer);
        sim.Send(QByteArrayView(&record::kEtb, 1));
    }
    EXPECT_EQ(sim.dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")), "old");
    EXPECT_EQ(sim.controller.NameRecordCount(), 0);
}

// Data, whether in a data record or the end record, that would reach beyond the largest image is
// refused before anything is written, so a wild offset cannot blow the file up to megabytes.
TEST(SimulatedController, refusesRecordsReachingBeyondTheLargestImage) {
    constexpr std::uint32_t kMax = SimulatedController::kMaxImageBytes;
    const struct {
        const char* name;
        char cmd;
        std::uint32_t oset;
        bool accepted;
    } cases[] = {
        {"data record ending at the limit", '2', kMax - 2, true},
        {"data record one byte beyond", '2', kMax - 1, false},
        {"data record at the largest offset", '2', 0xFFFFFF, false},
        {"end record one byte beyond", '3', kMax - 1, false},
        {"end record at the largest offset", '3', 0xFFFFFF, false},
    };
    Sim sim;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.dir.Write(QStringLiteral("Primary/ZEBU_TLN.DAU"), "old");
        ASSERT_TRUE(sim.Handshake());
        ASSERT_EQ(sim.Send(record::Build(0, '1', 1, '3', 0, {})), kAck);
        EXPECT_EQ(sim.Send(record::Build(1, c.cmd, 1, '3', c.oset, "ABCD")), c.accepted ? kAck : kNak);
        EXPECT_EQ(sim.controller.CurrentState(), SimulatedController::State::ReceivingFile);
        sim.controller.Disconnected(); // the connection lost mid-file stores nothing either
        EXPECT_EQ(sim.dir.Read(QStringLiteral("Primary/ZEBU_TLN.DAU")), "old");
    }
}

// qdv70sim takes its faults by name; a fault that repeats ends its run on another record.
TEST(FaultPlan, namesRoundTripAndARepeatEndsOnAnotherRecord) {
    for (const FaultInfo& f : FaultTable())
        EXPECT_EQ(FaultFromName(QString::fromLatin1(f.name)), f.fault) << f.name;
    FaultPlan plan;
    plan.Add(Fault::NakTwice);
    EXPECT_TRUE(plan.Fire(Fault::NakTwice, "first"));
    EXPECT_FALSE(plan.Fire(Fault::NakTwice, "second"));
    EXPECT_FALSE(plan.Fire(Fault::NakTwice, "first"));
}

constexpr qint64 kMs = 1'000'000;

TEST(LinePacer, aByteTakesTenBitTimes) {
    const struct {
        int rate;
        qint64 bytes;
        qint64 atNs; // after queueing at 0
        qint64 crossed;
    } cases[] = {
        {38400, 384, 100 * kMs, 384},     // 3840 bytes a second
        {38400, 384, 100 * kMs - 1, 383}, // the last one not quite
        {38400, 384, 0, 0},
        {38400, 1, 260417, 1}, // 260416.7 ns a byte
        {38400, 1, 260416, 0},
        {9600, 100, 50 * kMs, 48},
        {0, 5000, 0, 5000}, // unpaced: all at once
    };
    for (const auto& c : cases) {
        LinePacer line(c.rate);
        line.Queue(0, c.bytes);
        EXPECT_EQ(line.Take(c.atNs), c.crossed) << c.rate << " " << c.atNs;
        EXPECT_EQ(line.Waiting(), c.bytes - c.crossed);
    }
}

TEST(LinePacer, bytesQueuedWhileBusyFollowAndAnIdleLineStartsAfresh) {
    LinePacer line(10'000); // 1 ms a byte
    line.Queue(0, 10);
    EXPECT_EQ(line.Take(5 * kMs), 5);
    line.Queue(5 * kMs, 10); // behind the five still crossing
    EXPECT_EQ(line.DueNs(), 6 * kMs);
    EXPECT_EQ(line.Take(19 * kMs), 14);
    EXPECT_EQ(line.Take(20 * kMs), 1);
    // Long idle: the next byte needs its own time from when it was handed over, no credit is saved.
    line.Queue(100 * kMs, 3);
    EXPECT_EQ(line.Take(100 * kMs), 0);
    EXPECT_EQ(line.DueNs(), 101 * kMs);
    EXPECT_EQ(line.DueNs(3), 103 * kMs);
    EXPECT_EQ(line.Take(103 * kMs), 3);
}

TEST(LinePacer, takenLateTheLineStillCountsFromWhenItWasFree) {
    LinePacer line(10'000);
    line.Queue(0, 4);
    EXPECT_EQ(line.Take(2 * kMs), 2);
    // Handed over at 3 ms while two bytes still cross: they end at 4 ms, these at 5 and 6 ms.
    line.Queue(3 * kMs, 2);
    EXPECT_EQ(line.Take(5 * kMs), 3);
    // A byte handed over just after the line went idle starts when it is handed over.
    EXPECT_EQ(line.Take(6 * kMs), 1);
    line.Queue(6 * kMs + 500'000, 1);
    EXPECT_EQ(line.DueNs(), 7 * kMs + 500'000);
}

} // namespace
} // namespace qdv::sim
