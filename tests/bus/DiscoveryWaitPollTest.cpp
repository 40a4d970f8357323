#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/FrameCodec.h"
#include "tests/bus/DiscoveryTestBench.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(DiscoveryWaitForUnit, SilenceIsReportedAfterSevenEmptyListens)
{
    DiscoveryTestBench bench;
    EXPECT_EQ(WaitForUnit(bench.session, 3000), kBusSilent);
    // Seven listens of 20 ms with 100 ms between them, well before the 3000 ms.
    EXPECT_LT(bench.clock.NowMs(), 1000u);
    EXPECT_EQ(bench.session.unit.present, 0);
}

TEST(DiscoveryWaitForUnit, AnnouncingUnitIsAnsweredFromTheHoldAddress)
{
    DiscoveryTestBench bench;
    bench.Commands().StartUnitAnnouncements(0);
    EXPECT_EQ(WaitForUnit(bench.session, 3000), kUnitAnswered);
    EXPECT_EQ(bench.session.unit.present, 1);
    EXPECT_EQ(bench.session.unit.address, 0x21000001u);
    EXPECT_FALSE(bench.Commands().UnitAnnouncing());
    const auto continues = bench.CommandsTo(0x21000001, kCmdContinue);
    ASSERT_EQ(continues.size(), 1u);
    EXPECT_EQ(continues[0].Source(), 0xA0000000u);
    EXPECT_EQ(continues[0].FrameFlags(), 0x81);
    EXPECT_EQ(continues[0].Kind(), kKindPlain);
    EXPECT_EQ(continues[0].Length(), 27);
}

TEST(DiscoveryWaitForUnit, TrafficWithoutAUnitCallIsReported)
{
    // A module's frame to the tool's default address, and one to the late-scan address (a
    // 0xA… address, but not from a unit): traffic, but no unit calling.
    for (const std::uint32_t to : {0x20000000u, 0xA0000001u}) {
        SCOPED_TRACE(to);
        DiscoveryTestBench bench;
        BusMessage stray;
        stray.SetLinkMode(LINK_SCRAMBLED);
        stray.SetSource(to);
        stray.SetDestination(0x70123456);
        const EncodedFrame frame = bench.installation->Module(0).Link().EncodeHeaderOnly(stray, 0);
        bench.installation->InjectToTool(std::vector<std::uint8_t>(frame.Bytes().begin(), frame.Bytes().end()),
                                         30'000);
        EXPECT_EQ(WaitForUnit(bench.session, 3000), kTrafficWithoutUnit);
        EXPECT_EQ(bench.session.unit.present, 0);
        EXPECT_EQ(bench.session.unit.address, 0u);
    }
}

class DiscoveryPollModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ScanBus(bench.session));
        ASSERT_TRUE(bench.session.AnnounceLinkKey(BusSession::kAnnounceAll));
    }

    DiscoveryTestBench bench;
};

TEST_F(DiscoveryPollModule, AcknowledgementGivesThePollLimit)
{
    bench.installation->Module(1).SetPollLimit(17);
    EXPECT_EQ(PollModule(bench.session, 1), kAnsDone);
    EXPECT_EQ(bench.session.pollLimit, 17u);
    EXPECT_EQ(PollModule(bench.session, kUnitSlot), kAnsDone);
    EXPECT_EQ(PollModule(bench.session, 4), kPollGaveUp);
}

TEST_F(DiscoveryPollModule, SilentModuleGivesUpAfterThirtySecondsWithLinkResets)
{
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = 0x70123456;
    drop.command = kCmdContinue;
    bench.installation->Faults().Add(drop);
    const std::uint64_t startMs = bench.clock.NowMs();
    EXPECT_EQ(PollModule(bench.session, 0), kPollGaveUp);
    const std::uint64_t tookMs = bench.clock.NowMs() - startMs;
    EXPECT_GE(tookMs, 30000u);
    EXPECT_LT(tookMs, 40000u);
    // With a poll limit of 0 the link is reset after every tenth unanswered poll.
    const auto& resets = bench.Commands().LinkResets();
    ASSERT_FALSE(resets.empty());
    EXPECT_TRUE(std::all_of(resets.begin(), resets.end(), [](std::uint32_t a) { return a == 0x70123456; }));
    const auto polls = bench.CommandsTo(0x70123456, kCmdContinue);
    EXPECT_GE(polls.size(), 10u * resets.size());
    EXPECT_LE(polls.size(), 10u * (resets.size() + 1));
}

TEST_F(DiscoveryPollModule, UnitHeardThenSilentEndsThePoll)
{
    // The unit says something on the bus, then nothing more.
    BusMessage heard;
    heard.SetLinkMode(LINK_SCRAMBLED);
    heard.SetSource(0x20000000);
    heard.SetDestination(0x21000001);
    const EncodedFrame frame = bench.installation->Unit().Link().EncodeHeaderOnly(heard, 0);
    const std::uint64_t nowUs = bench.clock.NowMs() * 1000;
    bench.installation->InjectToTool(std::vector<std::uint8_t>(frame.Bytes().begin(), frame.Bytes().end()), nowUs);
    const std::uint64_t startMs = bench.clock.NowMs();
    EXPECT_EQ(PollModule(bench.session, 0), kPollGaveUp);
    EXPECT_LT(bench.clock.NowMs() - startMs, 5000u);
    EXPECT_TRUE(bench.CommandsTo(0x70123456, kCmdContinue).empty());
}

}  // namespace
}  // namespace quorfw
