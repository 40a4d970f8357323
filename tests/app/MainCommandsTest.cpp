#include <gtest/gtest.h>

#include <map>

#include "app/MainCommands.h"
#include "app/MainModel.h"
#include "app/PackageList.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "tests/app/RecordingHost.h"

namespace quorfw::test {
namespace {

// The model states the rules tell apart, and which commands each enables.
struct RuleCase {
    const char* name;
    CommandState state;
    std::vector<std::uint32_t> enabled;
};

TEST(MainCommandsTest, EnablingRulesOverModelStates)
{
    const std::vector<std::uint32_t> always = {kCommandVersions, kCommandHelp, kCommandAbout, kCommandBackup, kCommandRestore, kCommandExport};
    auto with = [&](std::vector<std::uint32_t> more) {
        more.insert(more.end(), always.begin(), always.end());
        return more;
    };
    const RuleCase cases[] = {
        {"idle at start", {}, with({kCommandScan, kCommandOptions, kCommandExit})},
        {"offered but no selector entry", {false, false, true, 3, ""}, with({kCommandScan, kCommandOptions, kCommandExit})},
        {"entries but nothing ever offered", {false, true, false, 3, ""}, with({kCommandScan, kCommandOptions, kCommandExit})},
        {"entries and offered", {false, true, true, 3, ""}, with({kCommandScan, kCommandUpdate, kCommandOptions, kCommandExit})},
        {"unit of type 9", {false, false, false, 9, ""}, with({kCommandScan, kCommandOptions, kCommandExit, kCommandWiegand})},
        {"module 0 a programmable scanner", {false, false, false, 3, "93245512345678"},
         with({kCommandScan, kCommandOptions, kCommandExit, kCommandDeviceFirmware})},
        {"article only in the middle", {false, false, false, 3, "10932455123456"},
         with({kCommandScan, kCommandOptions, kCommandExit})},
        {"running, everything else set", {true, true, true, 9, "93245512345678"}, always},
    };
    for (const RuleCase& c : cases) {
        for (const ToolbarCommand& command : kToolbarCommands) {
            const bool expected =
                std::find(c.enabled.begin(), c.enabled.end(), command.command) != c.enabled.end();
            EXPECT_EQ(CommandEnabled(command.command, c.state), expected) << c.name << ", command " << command.command;
        }
    }
    EXPECT_FALSE(CommandEnabled(1071, {}).has_value());
}

TEST(MainCommandsTest, StateOfTheModelAndTheReload)
{
    VirtualClock clock;
    ConverterHub hub;
    MainModel model(hub, clock);
    model.selector = {{"A", 0}};
    model.selectorIndex = 0;
    model.displayed.unit.type = 9;
    model.displayed.modules[0].serial = "93245500000001";
    CommandState state = CommandStateOf(model);
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(state.selectorHasEntries);
    EXPECT_FALSE(state.anyOffered);
    EXPECT_EQ(state.unitType, 9u);
    EXPECT_EQ(state.module0Serial, "93245500000001");

    model.SetAnyOffered();
    EXPECT_TRUE(*CommandEnabled(kCommandUpdate, CommandStateOf(model)));

    class SelectorHost : public RecordingHost {
    public:
        std::vector<std::vector<SelectorEntry>> selectors;
        void SetPackageSelector(const std::vector<SelectorEntry>& entries) override { selectors.push_back(entries); }
    } host;
    model.packageFolder = "/nonexistent-quorfw-folder/";
    ReloadPackageList(model, host);
    ASSERT_EQ(host.selectors.size(), 1u);
    EXPECT_TRUE(host.selectors[0].empty());
    EXPECT_TRUE(model.selector.empty());
    EXPECT_EQ(model.selectorIndex, -1);
    EXPECT_FALSE(*CommandEnabled(kCommandUpdate, CommandStateOf(model)));
}

TEST(MainCommandsTest, ConverterEntries)
{
    EXPECT_EQ(ConverterEntryText("FT4ABC12"), "930105FT4ABC12");
    EXPECT_EQ(ConverterEntryText("sim"), "sim");
    EXPECT_EQ(ConverterEntryText("tty:/dev/ttyUSB0"), "tty:/dev/ttyUSB0");
}

}  // namespace
}  // namespace quorfw::test
