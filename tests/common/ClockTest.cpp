#include "common/Clock.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(VirtualClock, SleepMovesTimeAndCalendarTogether)
{
    VirtualClock clock;
    const auto wallBefore = clock.WallTime();
    EXPECT_EQ(clock.NowMs(), 0u);
    clock.SleepMs(30000);
    clock.AdvanceMs(250);
    EXPECT_EQ(clock.NowMs(), 30250u);
    EXPECT_EQ(clock.WallTime() - wallBefore, std::chrono::milliseconds(30250));
}

}  // namespace
}  // namespace quorfw
