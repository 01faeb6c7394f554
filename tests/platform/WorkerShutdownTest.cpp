#include "platform/WorkerShutdown.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Owners registered later may use those registered before them (a render's workers read the
// picture cache), so they stop first; each stop runs once.
TEST(WorkerShutdownTest, StopsRunOnceNewestFirst)
{
    std::vector<int> order;
    WorkerShutdown::Register([&order] { order.push_back(1); });
    WorkerShutdown::Register([&order] {
        order.push_back(2);
        // A stop that registers another owner (a worker made while stopping) does not deadlock;
        // the newcomer runs at the next call.
        WorkerShutdown::Register([&order] { order.push_back(3); });
    });
    WorkerShutdown::StopAll();
    EXPECT_EQ(order, (std::vector<int> { 2, 1 }));
    WorkerShutdown::StopAll();
    EXPECT_EQ(order, (std::vector<int> { 2, 1, 3 }));
    WorkerShutdown::StopAll();
    EXPECT_EQ(order.size(), 3u);
}

}
