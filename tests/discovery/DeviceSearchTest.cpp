#include "discovery/DeviceSearch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qdv;

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
