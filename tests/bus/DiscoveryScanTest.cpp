#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "tests/bus/DiscoveryTestBench.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorfw {
namespace {

bool IsAcknowledgement(const BusMessage& m)
{
    return m.IsHeaderOnly() && m.FrameFlags() == kFlagsAcknowledge;
}

TEST(DiscoveryScan, BusWithOnlyAUnitIsFoundInTheFirstPass)
{
    DiscoveryTestBench bench(UnitWithModules({}));
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.moduleCount, 0);
    EXPECT_EQ(bench.session.unit.present, 1);
    EXPECT_EQ(bench.session.unit.address, 0x21000001u);
    EXPECT_EQ(bench.session.link.linkMode, LINK_SCRAMBLED);
    EXPECT_EQ(bench.session.link.ownAddress, 0x20000000u);
    const auto acks = bench.RequestsTo(0x21000001, IsAcknowledgement);
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].Source(), 0x20000000u);
    // One pass: a roll call and five polls of 150 ms plus their listening, not four passes.
    EXPECT_LT(bench.clock.NowMs(), 3000u);
}

TEST(DiscoveryScan, EntersModulesInAnswerOrderAndAcknowledgesEach)
{
    DiscoveryTestBench bench;
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.moduleCount, 3);
    const std::uint32_t expected[] = {0x70123456, 0x50234567, 0x80345678};
    for (std::size_t slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(bench.session.modules[slot].address, expected[slot]);
        EXPECT_EQ(bench.session.modules[slot].present, 1);
        EXPECT_EQ(bench.RequestsTo(expected[slot], IsAcknowledgement).size(), 1u);
    }
    EXPECT_EQ(bench.session.modules[2].type, 7u);  // 0x8… address
    EXPECT_EQ(bench.session.modules[3].present, 0);
}

TEST(DiscoveryScan, ModuleAnsweringTwiceIsEnteredOnce)
{
    DiscoveryTestBench bench(UnitWithModules({SimStationAt(0x70000011, 7000000, "20050100000001"),
                                              SimStationAt(0x50000022, 7000000, "20060100000002")}));
    bench.Commands().RollCall().BehaviourOf(0x70000011).extraAnswers = 1;
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.moduleCount, 2);
    EXPECT_EQ(bench.session.modules[0].address, 0x70000011u);
    EXPECT_EQ(bench.session.modules[1].address, 0x50000022u);
    EXPECT_EQ(bench.RequestsTo(0x70000011, IsAcknowledgement).size(), 1u);
}

TEST(DiscoveryScan, FifthModuleIsNotEntered)
{
    InstallationConfig config = UnitWithModules({});
    for (std::uint32_t i = 1; i <= 5; ++i) {
        config.modules.push_back(SimStationAt(0x70000000 + i, 7000000, "20060100000000"));
    }
    DiscoveryTestBench bench(config);
    // The unit stays out of the roll call, so all five modules answer the five polls.
    bench.Commands().RollCall().BehaviourOf(0x21000001).answers = false;
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.moduleCount, 4);
    for (std::size_t slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(bench.session.modules[slot].address, 0x70000001u + slot);
    }
    EXPECT_EQ(bench.session.unit.present, 0);
    EXPECT_TRUE(bench.RequestsTo(0x70000005, IsAcknowledgement).empty());
}

TEST(DiscoveryScan, CompactOnlyUnitIsFoundInPassOneAndTheSessionStaysCompact)
{
    DiscoveryTestBench bench(UnitWithModules({}));
    bench.Commands().RollCall().BehaviourOf(0x21000001).compactOnly = true;
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.link.linkMode, LINK_COMPACT);
    EXPECT_EQ(bench.session.link.ownAddress, 0x20000000u);
    EXPECT_EQ(bench.session.unit.address, 0x21000001u);

    // Later requests travel compact.
    bench.ForgetTraffic();
    BusMessage request;
    FillRequest(bench.session.link, request, kReadRequestLength, bench.session.link.ownAddress, 0x21000001,
                kCmdIdentity, kIdentityOperand, 0, 0x81, kKindPlain);
    ASSERT_NE(bench.session.TransactTimed(request, 0, 50), nullptr);
    const auto seen = bench.CommandsTo(0x21000001, kCmdIdentity);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].LinkMode(), LINK_COMPACT);
}

TEST(DiscoveryScan, SilentBusFailsAfterFourPassesWithTheirModesAndAddresses)
{
    DiscoveryTestBench bench(UnitWithModules({}));
    bench.Commands().RollCall().BehaviourOf(0x21000001).answers = false;
    EXPECT_FALSE(ScanBus(bench.session));
    // The last pass: compact link from 0xA0000001.
    EXPECT_EQ(bench.session.link.linkMode, LINK_COMPACT);
    EXPECT_EQ(bench.session.link.ownAddress, 0xA0000001u);
    EXPECT_EQ(bench.session.moduleCount, 0);
}

TEST(DiscoveryScan, LatePassAnswersGoToTheLateScanAddress)
{
    // A unit that answers only from the third pass on (its silence ends after two passes).
    DiscoveryTestBench bench(UnitWithModules({}));
    FaultRule silence;
    silence.type = FaultType::Silence;
    silence.station = 0x21000001;
    silence.fromMs = 0;
    silence.untilMs = 5000;
    bench.installation->Faults().Add(silence);
    ASSERT_TRUE(ScanBus(bench.session));
    EXPECT_EQ(bench.session.link.ownAddress, 0xA0000001u);
    EXPECT_EQ(bench.session.link.linkMode, LINK_SCRAMBLED);
    const auto acks = bench.RequestsTo(0x21000001, IsAcknowledgement);
    ASSERT_FALSE(acks.empty());
    EXPECT_EQ(acks.back().Source(), 0xA0000001u);
}

// Records what the tool writes; nothing ever answers.
class RecordingTransport final : public Transport {
public:
    explicit RecordingTransport(VirtualClock& clock) : clock_(clock) {}
    std::vector<std::string> Enumerate() override { return {"rec"}; }
    bool Open(const std::string&, std::uint32_t) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    bool Write(std::span<const std::uint8_t> bytes) override
    {
        writes.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t timeoutMs) override
    {
        clock_.AdvanceMs(timeoutMs);
        return std::nullopt;
    }
    std::vector<std::vector<std::uint8_t>> writes;

private:
    VirtualClock& clock_;
};

TEST(DiscoveryScan, RollCallAndPollFramesOnTheWire)
{
    VirtualClock clock;
    RecordingTransport transport(clock);
    BusSession session(transport, clock, 3);
    EXPECT_FALSE(ScanBus(session));
    // Four passes of a roll call and five polls each.
    ASSERT_EQ(transport.writes.size(), 24u);
    const std::vector<std::uint8_t> rollCall = {0x02, 0x39, 0x20, 0x00, 0xBC, 0xC0, 0x80, 0x80,
                                                0x80, 0x80, 0x00, 0x80, 0x80, 0x80, 0x00, 0x03};
    const std::vector<std::uint8_t> poll = {0x02, 0x39, 0x20, 0x82, 0xA8, 0xC0, 0x80, 0x80,
                                            0x80, 0x80, 0x00, 0x80, 0x80, 0x80, 0x20, 0x03};
    EXPECT_EQ(transport.writes[0], rollCall);
    EXPECT_EQ(transport.writes[1], poll);
    // Pass 1 polls on the compact link; pass 2 on the scrambled link from 0xA0000001.
    EXPECT_EQ(transport.writes[7][3], LINK_COMPACT);
    const std::vector<std::uint8_t> latePoll = {0x02, 0x39, 0x20, 0x82, 0xA8, 0xC0, 0x80, 0x80,
                                                0x80, 0x80, 0x00, 0x81, 0x80, 0x80, 0xA0, 0x03};
    EXPECT_EQ(transport.writes[13], latePoll);
}

}  // namespace
}  // namespace quorfw
