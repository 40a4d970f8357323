#include "bus/Broadcasts.h"
#include "bus/BusCommandCodes.h"
#include "bus/CouplingCode.h"
#include "bus/ModuleParameterCommands.h"
#include "bus/UnitConfiguration.h"
#include "tests/bus/CommandTestBench.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(CommandParameter, ByteAndWordForms)
{
    CommandTestBench bench;
    ASSERT_TRUE(WriteModuleParameter(bench.session, kScanner, 208, 0x5C));
    ASSERT_TRUE(WriteModuleParameter(bench.session, kScanner, 256, 0x01, true));
    ASSERT_TRUE(WriteModuleParameterWord(bench.session, kScanner, 0x12345678));
    const auto& writes = bench.Commands().ParameterWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].source, 0x90000001u);
    EXPECT_EQ(writes[0].number, 208u);
    EXPECT_EQ(writes[0].frameFlags, 0x80);
    EXPECT_EQ(writes[0].value, std::vector<std::uint8_t>{0x5C});
    EXPECT_EQ(writes[1].frameFlags, 0x82);
    EXPECT_EQ(writes[2].number, 112u);
    EXPECT_EQ(writes[2].value, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
    const auto requests = bench.CommandsTo(kScanner, kCmdParameterWrite);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Length(), 28);
    EXPECT_EQ(requests[2].Length(), 31);
    EXPECT_EQ(requests[0].Kind(), kKindPlain);
    // Parameter writes to a module carry bit 30 in operand2.
    EXPECT_EQ(requests[0].Operand2(), 0x40000000u);
}

TEST(CommandParameter, WriteIsTriedSixTimes)
{
    CommandTestBench bench;
    bench.DropAnswers(kScanner, kCmdParameterWrite);
    EXPECT_FALSE(WriteModuleParameter(bench.session, kScanner, 218, 3));
    EXPECT_EQ(bench.CommandsTo(kScanner, kCmdParameterWrite).size(), 6u);
}

TEST(CommandParameter, SlotSettingsAreWrittenBackInOrder)
{
    CommandTestBench bench;
    ModuleInfo& module = bench.session.modules[1];
    module.settingsValid = 1;
    module.settingBytes = {0x11, 0x22, 0x33, 0x44};  // parameters 208, 218, 270, 256
    module.settingWord = 0xA0B0C0D0;
    ASSERT_TRUE(ApplySlotSettings(bench.session, 1));
    const auto& writes = bench.Commands().ParameterWrites();
    ASSERT_EQ(writes.size(), 5u);
    const std::uint32_t numbers[] = {270, 208, 218, 112, 256};
    const std::uint8_t values[] = {0x33, 0x11, 0x22, 0xD0, 0x44};
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(writes[i].station, kScanner);
        EXPECT_EQ(writes[i].number, numbers[i]);
        EXPECT_EQ(writes[i].value.front(), values[i]);
        EXPECT_EQ(writes[i].frameFlags, i == 4 ? 0x82 : 0x80);
    }
    EXPECT_EQ(writes[3].value.size(), 4u);

    // Keypads, slots without saved settings and absent slots do not qualify.
    bench.session.modules[2].settingsValid = 1;
    EXPECT_FALSE(ApplySlotSettings(bench.session, 2));
    EXPECT_FALSE(ApplySlotSettings(bench.session, 0));
    EXPECT_FALSE(ApplySlotSettings(bench.session, 3));
    EXPECT_EQ(writes.size(), 5u);
}

TEST(CommandCouplingCodeOnBus, SentToTheModulesWithBits28To30)
{
    CommandTestBench bench;
    ASSERT_TRUE(WriteCouplingCode(bench.session));
    // The code of unit serial 10030100001234, worked out by hand (see the derivation test).
    const std::vector<std::uint8_t> code = {0x0E, 0x0A, 0x3B, 0x3A, 0xA2, 0x31, 0x29, 0x01,
                                            0x91, 0x09, 0x00, 0x38, 0x90, 0x31, 0x00, 0x05};
    const auto& writes = bench.Commands().ParameterWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].station, kScannerOld);
    EXPECT_EQ(writes[1].station, kScanner);
    for (const SimParameterWrite& w : writes) {
        EXPECT_EQ(w.number, 460u);
        EXPECT_EQ(w.value, code);
        EXPECT_EQ(w.frameFlags, 0x80);
    }
    EXPECT_EQ(bench.CommandsTo(kScanner, kCmdParameterWrite)[0].Length(), 43);
}

TEST(CommandCouplingCodeOnBus, ShortSerialSendsNothing)
{
    CommandTestBench bench;
    bench.session.unit.serial = "1003010000123";
    EXPECT_FALSE(WriteCouplingCode(bench.session));
    EXPECT_TRUE(bench.Commands().ParameterWrites().empty());
}

TEST(CommandUnitConfiguration, LayoutFromTheUnitBlocks)
{
    CommandTestBench bench;
    BusSession& s = bench.session;
    ASSERT_TRUE(ReadModuleInfo(s, kUnitExtraSlot));
    for (std::size_t i = 81; i <= 84; ++i) {
        s.unitInformation[i] = static_cast<std::uint8_t>(0x10 * (i - 80));  // 81:10 82:20 83:30 84:40
    }
    s.unitInformation[90] = 0x39;
    s.unitInformation[91] = 0x05;
    s.unitExtraBlock.fill(0x6E);
    ASSERT_TRUE(WriteUnitConfiguration(s));
    const auto& writes = bench.Commands().ParameterWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].station, kUnitAddress);
    EXPECT_EQ(writes[0].number, 0xFFFFFFFFu);
    EXPECT_EQ(writes[0].frameFlags, 0x81);
    const std::vector<std::uint8_t> head = {2, 0x20, 0x30, 0x10, 0x40, 0, 0x39, 0x05};
    ASSERT_EQ(writes[0].value.size(), 72u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), writes[0].value.begin()));
    EXPECT_TRUE(std::all_of(writes[0].value.begin() + 8, writes[0].value.end(), [](std::uint8_t b) { return b == 0x6E; }));
    const auto request = bench.CommandsTo(kUnitAddress, kCmdParameterWrite);
    EXPECT_EQ(request[0].Length(), 99);
    EXPECT_EQ(request[0].Operand2(), 0u);  // units get no bit 30
}

TEST(CommandBroadcasts, Command35ModuleTextAndRestart)
{
    CommandTestBench bench;
    BroadcastCommand35(bench.session);
    SendModuleText(bench.session, 1, u" ", true, false);
    SendModuleText(bench.session, 0, u"ok", true, true);
    // Last: the modules go down for their restart.
    RestartAllModules(bench.session);
    for (const std::uint32_t module : {kScannerOld, kScanner, kKeypad}) {
        SCOPED_TRACE(module);
        const auto restarts = bench.CommandsTo(module, kCmdRestart);
        ASSERT_EQ(restarts.size(), 1u);
        EXPECT_EQ(restarts[0].Operand2(), 0xABCD0002u);
        const auto c35 = bench.CommandsTo(module, kCmd35);
        ASSERT_EQ(c35.size(), 1u);
        EXPECT_EQ(c35[0].Operand1(), 600u);
    }
    EXPECT_TRUE(bench.CommandsTo(kUnitAddress, kCmdRestart).empty());
    const auto text = bench.CommandsTo(kScanner, kCmdModuleText);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Length(), 29);
    EXPECT_EQ(text[0].Operand1(), 1u);
    EXPECT_EQ(text[0].Operand2(), 0u);
    EXPECT_EQ(text[0].Data()[0], ' ');
    EXPECT_EQ(text[0].Data()[1], 0);
    const auto flagged = bench.CommandsTo(kScannerOld, kCmdModuleText);
    ASSERT_EQ(flagged.size(), 1u);
    EXPECT_EQ(flagged[0].Operand1(), 0x10000000u);
    EXPECT_EQ(flagged[0].Operand2(), 0x80000000u);
}

}  // namespace
}  // namespace quorfw
