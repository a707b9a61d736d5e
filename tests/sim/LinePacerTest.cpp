#include "sim/LinePacer.h"

#include <gtest/gtest.h>

namespace qdv::sim {
namespace {

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
    EXPECT_EQ(line.Waiting(), 0);
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
