#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "gui/toolkit/Invalidater.h"

namespace zt::ge {
namespace {

TEST(InvalidaterTest, ClipsToTheOriginDropsEmptyAndListsEachRectangleOnce)
{
    CInvalidater inv;
    inv.AddRect({10, 10, 5, 5});
    inv.AddRect({10, 10, 5, 5});  // a second control asking for the same area
    EXPECT_EQ(inv.GetRectCount(), 1u);

    inv.AddRect({-3, 2, 5, 4});  // x cut back to 0, width shrinks by 3
    inv.AddRect({0, 2, 2, 4});   // ...and is then the same as this one
    EXPECT_EQ(inv.GetRectCount(), 2u);

    inv.AddRect({4, 4, 0, 9});   // no width
    inv.AddRect({-6, 0, 6, 9});  // nothing left after clipping
    inv.AddRect({0, -2, 3, 2});
    EXPECT_EQ(inv.GetRectCount(), 2u);

    EXPECT_TRUE(inv.HasDirtyArea());
    EXPECT_EQ(inv.GetBoundingRect(), SRect(0, 2, 15, 13));

    SRect taken;
    EXPECT_TRUE(inv.TakeBoundingRect(taken));
    EXPECT_EQ(taken, SRect(0, 2, 15, 13));
    EXPECT_FALSE(inv.HasDirtyArea());
    EXPECT_FALSE(inv.TakeBoundingRect(taken));
    EXPECT_TRUE(taken.IsEmpty());
}

TEST(InvalidaterTest, TakesRectanglesFromSeveralThreadsAtOnce)
{
    CInvalidater inv;
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&inv, t] {
            for (int i = 0; i < kEach; ++i) {
                inv.AddRect({i, t, 1, 1});
                inv.AddRect({i, t, 1, 1});
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(inv.GetRectCount(), std::size_t(kThreads * kEach));
    EXPECT_EQ(inv.GetBoundingRect(), SRect(0, 0, kEach, kThreads));
}

}  // namespace
}  // namespace zt::ge
