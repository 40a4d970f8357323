#include "sim/FaultPlan.h"

#include <gtest/gtest.h>


namespace quorfw {
namespace {

FaultRule Make(FaultType type)
{
    FaultRule r;
    r.type = type;
    return r;
}

TEST(FaultPlan, NthFiresOnceOnTheNthMatchOfItsStationAndCommand)
{
    FaultRule r = Make(FaultType::Drop);
    r.station = 0x30000001;
    r.command = 0x22;
    r.nth = 3;
    FaultPlan plan({r}, 1);
    std::vector<bool> fired;
    for (int i = 0; i < 5; ++i) {
        // Other stations and commands do not count as matches.
        EXPECT_FALSE(plan.DropsAnswer(0x30000002, 0x22));
        EXPECT_FALSE(plan.DropsAnswer(0x30000001, 0x38));
        fired.push_back(plan.DropsAnswer(0x30000001, 0x22));
    }
    EXPECT_EQ(fired, (std::vector<bool>{false, false, true, false, false}));
}

TEST(FaultPlan, ProbabilityZeroNeverOneAlways)
{
    FaultRule never = Make(FaultType::Refuse);
    never.probability = 0.0;
    FaultRule always = Make(FaultType::Busy);
    always.count = 2;
    FaultPlan plan({never, always}, 1);
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(plan.Refuses(0x30000001, 0x22));
        EXPECT_EQ(plan.BusyAnswers(0x30000001, 0x22), 2u);
    }
}

TEST(FaultPlan, WindowsSilenceTheirStationAndReportEachEdgeOnce)
{
    FaultRule silence = Make(FaultType::Silence);
    silence.fromMs = 100;
    silence.untilMs = 200;
    FaultRule restart = Make(FaultType::Restart);
    restart.station = 0x30000001;
    restart.fromMs = 50;
    restart.untilMs = 150;
    FaultPlan plan({silence, restart}, 1);

    EXPECT_FALSE(plan.IsSilent(0x30000002, 99));
    EXPECT_TRUE(plan.IsSilent(0x30000002, 100));
    EXPECT_TRUE(plan.IsSilent(0x30000002, 199));
    EXPECT_FALSE(plan.IsSilent(0x30000002, 200));
    EXPECT_TRUE(plan.IsSilent(0x30000001, 50));
    EXPECT_FALSE(plan.IsSilent(0x30000002, 50));

    EXPECT_TRUE(plan.TakeEdges(49).empty());
    const std::vector<FaultPlan::WindowEdge> first = plan.TakeEdges(120);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].timeMs, 50u);
    EXPECT_EQ(first[0].rule, 1u);
    EXPECT_TRUE(first[0].begins);
    EXPECT_EQ(first[1].timeMs, 100u);
    EXPECT_EQ(first[1].rule, 0u);
    const std::vector<FaultPlan::WindowEdge> rest = plan.TakeEdges(500);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].timeMs, 150u);
    EXPECT_FALSE(rest[0].begins);
    EXPECT_EQ(rest[1].timeMs, 200u);
    EXPECT_TRUE(plan.TakeEdges(1000).empty());
}

}  // namespace
}  // namespace quorfw
