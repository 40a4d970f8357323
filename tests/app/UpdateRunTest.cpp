#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/PackageAvailability.h"
#include "app/UiStringIds.h"
#include "bus/BusCommandCodes.h"
#include "tests/app/SimulatedInstallationFixture.h"

namespace quorfw::test {
namespace {

using Steps = std::vector<std::pair<int, int>>;

class UpdateRunTest : public SimulatedInstallationTest {
protected:
    // Scans with the package, then runs the update; true when the update succeeded.
    bool ScanThenUpdate(const PackageVersions& versions, const std::string& unitSection = {})
    {
        AddPackage("p.qup", InstallationManifest(versions, "Test package", "100301 200501 200601 300701", unitSection));
        EXPECT_TRUE(Scan());
        host = RecordingHost{};
        installation->ClearLogs();
        return Update();
    }

    // Stations that received a transfer start, in order.
    [[nodiscard]] std::vector<std::uint32_t> TransferStarts() const
    {
        std::vector<std::uint32_t> stations;
        for (const SimRequestRecord& record : RequestsWith(kCmdTransferStart)) {
            if (stations.empty() || stations.back() != record.station) {
                stations.push_back(record.station);
            }
        }
        return stations;
    }

    [[nodiscard]] std::size_t RequestsAfter(std::uint8_t command, std::uint32_t station, std::uint64_t afterUs) const
    {
        std::size_t count = 0;
        for (const SimRequestRecord& record : RequestsWith(command)) {
            count += record.station == station && record.timeUs > afterUs ? 1 : 0;
        }
        return count;
    }
    // Scans, then updates module 0 only; once it is reported programmed it stays silent for
    // silentMs. Returns the installation time (ms) of that moment, 0 when it never came.
    [[nodiscard]] std::uint64_t UpdateWithScanner5SilentAfterProgramming(std::uint64_t silentMs, bool& updated)
    {
        std::uint64_t programmedMs = 0;
        const auto silenceWhenProgrammed = [&, silentMs](std::uint32_t id) {
            if (id != kTextModuleUpdated) {
                return;
            }
            programmedMs = InstallationMs();
            FaultRule silence;
            silence.type = FaultType::Silence;
            silence.station = kScanner5Address;
            silence.fromMs = programmedMs;
            silence.untilMs = programmedMs + silentMs;
            installation->Faults().Add(silence);
        };
        AddPackage("p.qup", InstallationManifest(PackageVersions{"2.5.3.10", "6.4.10.0", "3.0.4.19", "1.2.0.5"}));
        EXPECT_TRUE(Scan());
        host = RecordingHost{};
        host.onLogged = silenceWhenProgrammed;
        updated = Update();
        host.onLogged = nullptr;
        return programmedMs;
    }
};

TEST_F(UpdateRunTest, UnitAndFirstTwoModulesCountStepsInOrder)
{
    // The keypad's package version equals its own: not marked.
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"}));
    const Steps expected = {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(host.steps, expected);
    const std::vector<std::uint32_t> order = {kUnitAddress, kScanner5Address, kScanner6Address};
    EXPECT_EQ(TransferStarts(), order);
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
    EXPECT_EQ(host.logIds.back(), kTextUpdateDone);
    EXPECT_EQ(host.timerStarts, 3);
    EXPECT_EQ(host.timerStops, host.timerStarts + 1);  // once more at the end of the run
    EXPECT_EQ(host.stateTexts[kUnitRow].rfind("Ok: ", 0), 0u) << host.stateTexts[kUnitRow];
    EXPECT_EQ(host.stateTexts[0].rfind("Ok: ", 0), 0u);
    EXPECT_FALSE(model->Busy());
}

TEST_F(UpdateRunTest, OnlyModuleTwoIsProgrammedInTheThirdPass)
{
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.3.10", "6.4.9.1", "3.0.4.19", "1.2.1.0"}));
    const Steps expected = {{0, 2}, {0, 2}, {0, 2}, {0, 2}, {0, 2}, {1, 2}, {2, 2}};
    EXPECT_EQ(host.steps, expected);
    EXPECT_EQ(TransferStarts(), std::vector<std::uint32_t>{kKeypadAddress});
    // Text 2141 carries the step number.
    const auto start = std::find(host.logIds.begin(), host.logIds.end(), kTextModuleUpdateStart);
    ASSERT_NE(start, host.logIds.end());
    EXPECT_NE(host.logTexts[static_cast<std::size_t>(start - host.logIds.begin())].find("1"), std::string::npos);
}

TEST_F(UpdateRunTest, UnitImageWithoutSecondPartIsSent)
{
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.4.0", "6.4.9.1", "3.0.4.19", "1.2.0.5"},
                               "wrap = composite\ndata = generate firmware size=6K seed=31\n"));
    EXPECT_EQ(TransferStarts(), std::vector<std::uint32_t>{kUnitAddress});
    EXPECT_TRUE(host.Logged(kTextUnitUpdated));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
    const Steps expected = {{0, 1}, {1, 1}, {1, 1}};
    EXPECT_EQ(host.steps, expected);
}

TEST_F(UpdateRunTest, UnitCompositeOneByteShortSendsNothing)
{
    // Lengths 4 and 0 announce 12 bytes; the image holds 13.
    ASSERT_FALSE(ScanThenUpdate(PackageVersions{"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.1.0"},
                                "wrap = raw\ndata = hex 04 00 00 00 00 00 00 00 01 02 03 04 05\n"));
    EXPECT_TRUE(host.Logged(kTextUpdateFailed));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateFailedMessage});
    EXPECT_TRUE(TransferStarts().empty());
    EXPECT_TRUE(RequestsWith(kCmdTransferBlock).empty());
    EXPECT_FALSE(host.Logged(kTextUpdateDone));
    EXPECT_FALSE(host.endedWithSuccess);
}

TEST_F(UpdateRunTest, FailingFirstModuleStopsTheRest)
{
    FaultRule refuse;
    refuse.type = FaultType::Refuse;
    refuse.station = kScanner5Address;
    refuse.command = kCmdTransferStart;
    installation->Faults().Add(refuse);
    ASSERT_FALSE(ScanThenUpdate(PackageVersions{"2.5.3.10", "6.4.10.0", "3.0.4.20", "1.2.1.0"}));
    EXPECT_EQ(TransferStarts(), std::vector<std::uint32_t>{kScanner5Address});
    EXPECT_TRUE(host.Logged(kTextUpdateFailed));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateFailedMessage});
    // Nothing was programmed, so nothing was waited for or checked.
    EXPECT_TRUE(host.restartChecks.empty());
    EXPECT_FALSE(host.Logged(kTextRestartNotBack));
    EXPECT_EQ(host.steps.back(), std::make_pair(0, 6));
}

TEST_F(UpdateRunTest, ModuleBackAfterFifteenSecondsGetsItsSettingsBack)
{
    // Once module 0 is programmed it stays silent for 15 s.
    bool updated = false;
    const std::uint64_t programmedUs = UpdateWithScanner5SilentAfterProgramming(15'000, updated) * 1000;
    ASSERT_TRUE(updated);

    ASSERT_NE(programmedUs, 0u);
    const std::uint64_t backUs = programmedUs + 15'000'000;
    EXPECT_EQ(RequestsAfter(kCmdIdentity, kScanner5Address, backUs) > 0, true);
    // The five parameter writes of the saved settings, after the module is back.
    EXPECT_EQ(RequestsAfter(kCmdParameterWrite, kScanner5Address, backUs), 5u);
    EXPECT_EQ(host.restartChecks[0], RestartCheck::Verified);
    EXPECT_TRUE(host.Logged(kTextRestartVerified));
    EXPECT_EQ(model->Cells(0).identity.version, "6.4.10.0");
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
}

TEST_F(UpdateRunTest, ModuleSilentForTwentySecondsKeepsItsFlagAndTheRunSucceeds)
{
    bool updated = false;
    const std::uint64_t programmedMs = UpdateWithScanner5SilentAfterProgramming(60'000, updated);
    ASSERT_TRUE(updated);

    EXPECT_EQ(host.restartChecks[0], RestartCheck::NotBack);
    EXPECT_TRUE(host.Logged(kTextRestartNotBack));
    EXPECT_TRUE(RequestsWith(kCmdParameterWrite).empty());
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
    // It was waited for, but not much longer than 20 s.
    const std::uint64_t waitedMs = InstallationMs() - programmedMs;
    EXPECT_GT(waitedMs, 20'000u);
    EXPECT_LT(waitedMs, 40'000u);
}

// The update's scan finds another installation than the one shown: a module exchanged, or
// one that does not answer this time. Nothing is programmed, the new installation is shown,
// and the run does not call that a completed update.
TEST_F(UpdateRunTest, AnotherInstallationProgramsNothingAndFails)
{
    // ReadDifferently: the same address answers with another serial number, as an answer
    // damaged on the bus but passing its checksum would.
    enum class Change { ModuleExchanged, ReadDifferently, KeypadSilent, UnitSilent };
    for (const Change change :
         {Change::ModuleExchanged, Change::ReadDifferently, Change::KeypadSilent, Change::UnitSilent}) {
        SCOPED_TRACE(static_cast<int>(change));
        Serve(InstallationConfig::Default());
        AddPackage("p.qup", InstallationManifest(PackageVersions{}));
        host = RecordingHost{};
        ASSERT_TRUE(Scan());
        if (change == Change::ModuleExchanged || change == Change::ReadDifferently) {
            InstallationConfig config = InstallationConfig::Default();
            if (change == Change::ModuleExchanged) {
                config.modules[0].address = 0x70999999;
            } else {
                config.modules[1].serial = "20060100009099";
            }
            Serve(config);
        } else {
            // Silent through the update's scan and beyond.
            FaultRule silence;
            silence.type = FaultType::Silence;
            silence.station = change == Change::KeypadSilent ? kKeypadAddress : kUnitAddress;
            silence.fromMs = InstallationMs();
            silence.untilMs = silence.fromMs + 600'000;
            installation->Faults().Add(silence);
        }
        host = RecordingHost{};
        installation->ClearLogs();
        EXPECT_FALSE(Update());
        EXPECT_TRUE(TransferStarts().empty());
        EXPECT_TRUE(host.steps.empty());
        EXPECT_TRUE(host.Logged(kTextInstallationChanged));
        EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateFailedMessage});
        switch (change) {
        case Change::ModuleExchanged: EXPECT_EQ(model->displayed.modules[0].address, 0x70999999u); break;
        case Change::ReadDifferently: EXPECT_EQ(model->displayed.modules[1].serial, "20060100009099"); break;
        case Change::KeypadSilent: EXPECT_EQ(model->displayed.modules[2].present, 0); break;
        case Change::UnitSilent: EXPECT_EQ(model->displayed.unit.present, 0); break;
        }
    }
}

// A unit transfer whose end never reached the unit still counts as sent, but the unit never
// restarts into the image: it is flagged, and no report says it was updated.
TEST_F(UpdateRunTest, StationThatNeverTookItsImageIsNotReported)
{
    FaultRule refuse;
    refuse.type = FaultType::Refuse;
    refuse.station = kUnitAddress;
    refuse.command = kCmdTransferEnd;
    installation->Faults().Add(refuse);
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.4.0", "6.4.10.0", "3.0.4.19", "1.2.0.5"}));
    EXPECT_EQ(installation->Firmware().Installs(kUnitAddress), 0u);
    EXPECT_EQ(host.restartChecks[kUnitRow], RestartCheck::OtherVersion);
    EXPECT_EQ(host.restartChecks[0], RestartCheck::Verified);
    const std::string report = ReadFile("UpdateLog-Report.txt");
    EXPECT_EQ(report.find("10030100001234"), std::string::npos) << report;
    EXPECT_NE(report.find("<barcode>20050100005678</barcode>"), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
}

TEST_F(UpdateRunTest, ReportLinesInProgrammingOrder)
{
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.3.10", "6.4.10.0", "3.0.4.20", "1.2.0.5"}));
    const std::string report = ReadFile("UpdateLog-Report.txt");
    const std::string first = "<barcode>20050100005678</barcode><user>tech</user><version>6.4.10.0</version>"
                              "</FirmwareUpdated>\r\n";
    const std::string second = "<barcode>20060100009012</barcode><user>tech</user><version>3.0.4.20</version>"
                               "</FirmwareUpdated>\r\n";
    const std::size_t firstAt = report.find(first);
    const std::size_t secondAt = report.find(second);
    ASSERT_NE(firstAt, std::string::npos) << report;
    ASSERT_NE(secondAt, std::string::npos) << report;
    EXPECT_LT(firstAt, secondAt);
    EXPECT_EQ(secondAt + second.size(), report.size());
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2);
    EXPECT_EQ(report.rfind("<FirmwareUpdated xmlns=", 0), 0u);
}

// The scan selects the last fitting package; an update of the same installation programs the
// entry the user picked afterwards, not the last one.
TEST_F(UpdateRunTest, UpdateProgramsThePackageTheUserPicked)
{
    AddPackage("a.qup", InstallationManifest(PackageVersions{"2.5.3.10", "6.4.10.0", "3.0.4.19", "1.2.0.5"},
                                             "Scanner release"));
    AddPackage("b.qup", InstallationManifest(PackageVersions{"2.5.3.10", "6.4.9.1", "3.0.4.19", "1.2.1.0"},
                                             "Keypad release"));
    ASSERT_TRUE(Scan());
    ASSERT_EQ(model->selector.size(), 2u);
    ASSERT_EQ(model->selectorIndex, 1);

    // The folder lists in no particular order: the first entry is the one that was not chosen.
    const bool scannerFirst = model->selector[0].text == "Scanner release";
    model->selectorIndex = 0;
    host.SelectPackage(0);
    ShowAvailability(*model, host, true);
    host = RecordingHost{};
    installation->ClearLogs();
    ASSERT_TRUE(Update());

    EXPECT_EQ(model->selectorIndex, 0);
    const std::string report = ReadFile("UpdateLog-Report.txt");
    if (scannerFirst) {
        EXPECT_EQ(TransferStarts(), std::vector<std::uint32_t>{kScanner5Address});
        EXPECT_NE(report.find("<barcode>20050100005678</barcode><user>tech</user><version>6.4.10.0</version>"),
                  std::string::npos)
            << report;
    } else {
        EXPECT_EQ(TransferStarts(), std::vector<std::uint32_t>{kKeypadAddress});
        EXPECT_NE(report.find("<barcode>30070100003456</barcode><user>tech</user><version>1.2.1.0</version>"),
                  std::string::npos)
            << report;
    }
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
}

TEST_F(UpdateRunTest, PackageThatNoLongerLoadsProgramsNothing)
{
    AddPackage("p.qup", InstallationManifest(PackageVersions{}));
    ASSERT_TRUE(Scan());
    // The file is replaced after the scan; the list still holds the header loaded before.
    const std::string path = model->packages.at(0).GetPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "no longer a package";
    host = RecordingHost{};
    installation->ClearLogs();
    EXPECT_FALSE(Update());
    EXPECT_TRUE(TransferStarts().empty());
    EXPECT_TRUE(host.Logged(kTextUpdateFailed));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateFailedMessage});
    EXPECT_TRUE(host.steps.empty());
}

TEST_F(UpdateRunTest, ReadBackVersionsAreShownAndChecked)
{
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{}));
    for (const int row : {kUnitRow, 0, 1, 2}) {
        EXPECT_EQ(host.restartChecks[row], RestartCheck::Verified) << row;
    }
    EXPECT_EQ(model->Cells(kUnitRow).identity.version, "2.5.4.0");
    EXPECT_EQ(model->Cells(1).identity.version, "3.0.4.20");
    EXPECT_EQ(std::count(host.logIds.begin(), host.logIds.end(), kTextRestartVerified), 4);
}

TEST_F(UpdateRunTest, StationBackWithAnotherVersionIsFlagged)
{
    // The keypad restarts, but into the firmware it had.
    InstallationConfig config = InstallationConfig::Default();
    config.modules[2].versionAfterUpdate = config.modules[2].version;
    Serve(config);
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.3.10", "6.4.9.1", "3.0.4.19", "1.2.1.0"}));
    EXPECT_EQ(host.restartChecks[2], RestartCheck::OtherVersion);
    const auto flagged = std::find(host.logIds.begin(), host.logIds.end(), kTextRestartOtherVersion);
    ASSERT_NE(flagged, host.logIds.end());
    EXPECT_NE(host.logTexts[static_cast<std::size_t>(flagged - host.logIds.begin())].find(
                  "30070100003456 came back with version 1.2.0.5 instead of 1.2.1.0"),
              std::string::npos);
    EXPECT_EQ(model->Cells(2).identity.version, "1.2.0.5");
}

// Stations that go on running their old firmware for a while after the commit: an identity
// answer with the old version does not count as back, and the settings go to the new
// firmware only.
TEST_F(UpdateRunTest, StationStillOnItsOldVersionIsNotBackYet)
{
    constexpr std::uint32_t kSlot3Address = 0x70123457;
    const struct {
        const char* what;
        std::uint32_t address;
        int row;
        std::uint32_t delayMs;
        PackageVersions versions;
        std::size_t settingWrites;
    } cases[] = {
        // Slots 0 and 3 are programmed; slot 3 is asked for first, right after its transfer.
        {"scanner in slot 3", kSlot3Address, 3, 300, {"2.5.3.10", "6.4.10.0", "3.0.4.19", "1.2.0.5"}, 5},
        // The unit's transfer is followed by a 2 s wait for any frame; it restarts later still.
        {"unit", kUnitAddress, kUnitRow, 2500, {"2.5.4.0", "6.4.9.1", "3.0.4.19", "1.2.0.5"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstallationConfig config = InstallationConfig::Default();
        StationConfig slot3 = config.modules[0];
        slot3.address = kSlot3Address;
        slot3.serial = "20050100005679";
        config.modules.push_back(slot3);
        StationConfig& station = c.row == kUnitRow ? config.unit : config.modules[static_cast<std::size_t>(c.row)];
        station.restartDelayMs = c.delayMs;
        Serve(config);
        host = RecordingHost{};
        ASSERT_TRUE(ScanThenUpdate(c.versions));

        const FaultRule* restart = nullptr;
        for (const FaultRule& rule : installation->Faults().Rules()) {
            restart = rule.type == FaultType::Restart && rule.station == c.address ? &rule : restart;
        }
        ASSERT_NE(restart, nullptr);
        std::uint64_t transferEndUs = 0;
        for (const std::uint8_t command : {kCmdTransferEnd, kCmdImageCommit}) {
            for (const SimRequestRecord& record : RequestsWith(command)) {
                transferEndUs = record.station == c.address ? std::max(transferEndUs, record.timeUs) : transferEndUs;
            }
        }
        // It was asked for its identity while it still ran the old firmware, and again later.
        std::size_t before = 0;
        std::size_t after = 0;
        for (const SimRequestRecord& record : RequestsWith(kCmdIdentity)) {
            if (record.station == c.address && record.timeUs > transferEndUs) {
                before += record.timeUs < restart->fromMs * 1000 ? 1 : 0;
                after += record.timeUs >= restart->untilMs * 1000 ? 1 : 0;
            }
        }
        EXPECT_GT(before, 0u);
        EXPECT_GT(after, 0u);
        EXPECT_EQ(RequestsAfter(kCmdParameterWrite, c.address, transferEndUs), c.settingWrites);
        EXPECT_EQ(RequestsAfter(kCmdParameterWrite, c.address, restart->untilMs * 1000), c.settingWrites);
        EXPECT_EQ(host.restartChecks[c.row], RestartCheck::Verified);
        EXPECT_FALSE(host.Logged(kTextRestartOtherVersion));
    }
}

// One that never gets past its old version within the wait keeps its settings and is flagged.
TEST_F(UpdateRunTest, StationOnItsOldVersionForTheWholeWaitGetsNoSettings)
{
    InstallationConfig config = InstallationConfig::Default();
    config.modules[1].restartDelayMs = 60'000;
    Serve(config);
    ASSERT_TRUE(ScanThenUpdate(PackageVersions{"2.5.3.10", "6.4.9.1", "3.0.4.20", "1.2.0.5"}));
    EXPECT_EQ(host.restartChecks[1], RestartCheck::OtherVersion);
    EXPECT_TRUE(RequestsWith(kCmdParameterWrite).empty());
    EXPECT_EQ(model->Cells(1).identity.version, "3.0.4.19");
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
}

}  // namespace
}  // namespace quorfw::test
