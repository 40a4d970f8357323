#include <gtest/gtest.h>

#include <algorithm>

#include "app/UiStringIds.h"
#include "bus/BusCommandCodes.h"
#include "tests/app/SimulatedInstallationFixture.h"

namespace quorfw::test {
namespace {

using ScanTest = SimulatedInstallationTest;

TEST_F(ScanTest, ShowsTheInstallationMarksNewerFirmwareAndHoldsTheUnit)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}));
    ASSERT_TRUE(Scan());

    const DisplayedInstallation& shown = model->displayed;
    EXPECT_EQ(shown.unit.address, kUnitAddress);
    EXPECT_EQ(shown.moduleCount, 3);
    EXPECT_EQ(shown.modules[0].address, kScanner5Address);
    EXPECT_EQ(shown.modules[2].type, 7u);
    for (const int row : {kUnitRow, 0, 1, 2}) {
        EXPECT_TRUE(shown.UpdateOffered(row)) << row;
        EXPECT_EQ(host.stateTexts[row], LoadUiString(kTextUpdateOffered)) << row;
    }
    EXPECT_EQ(model->Cells(0).available, "6.4.10.0");
    EXPECT_EQ(model->Cells(0).identity.version, "6.4.9.1");
    EXPECT_TRUE(model->AnyOffered());
    ASSERT_EQ(model->selector.size(), 1u);
    EXPECT_EQ(model->selectorIndex, 0);
    EXPECT_EQ(model->rememberedSelection, 0);
    EXPECT_EQ(model->packageDescription, "Test package title");

    // Log: start, three module lines and the unit line, in this order.
    const auto first2134 = std::find(host.logIds.begin(), host.logIds.end(), kTextModuleVersions);
    ASSERT_NE(first2134, host.logIds.end());
    EXPECT_EQ(std::count(host.logIds.begin(), host.logIds.end(), kTextModuleVersions), 3);
    EXPECT_EQ(host.logIds.front(), kTextScanStart);
    EXPECT_EQ(host.logIds.back(), kTextUnitVersions);
    EXPECT_NE(host.logTexts[static_cast<std::size_t>(first2134 - host.logIds.begin())].find(
                  "20050100005678: installed version 6.4.9.1, package version 6.4.10.0"),
              std::string::npos);

    // The scan ends with one hold request to the unit from 0xA0000000.
    const auto holds = RequestsWith(kCmdContinue);
    ASSERT_FALSE(holds.empty());
    const BusMessage& hold = holds.back().message;
    EXPECT_EQ(holds.back().station, kUnitAddress);
    EXPECT_EQ(hold.Source(), 0xA0000000u);
    EXPECT_EQ(hold.Operand1(), 0xFFu);
    EXPECT_EQ(hold.Length(), 27u);
    EXPECT_EQ(hold.Operand2(), 0u);
    EXPECT_EQ(hold.FrameFlags(), 0x81);
    EXPECT_EQ(hold.Kind(), 0x80);

    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.ended, 1);
    EXPECT_FALSE(model->Busy());
    EXPECT_TRUE(model->selectorsEnabled);
}

TEST_F(ScanTest, ListsOnlyPackagesThatFitEveryStation)
{
    AddPackage("a-missing-keypad.qup",
               InstallationManifest(PackageVersions{}, "Scanners and unit", "100301 200501 200601"));
    AddPackage("b-all.qup", InstallationManifest(PackageVersions{}, "Everything"));
    ASSERT_TRUE(Scan());
    ASSERT_EQ(model->selector.size(), 1u);
    EXPECT_EQ(model->selector[0].text, "Everything");
    const UpdateFile* chosen = model->PackageOfItem(model->selector[0].itemData);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->GetName(), "Everything");
}

TEST_F(ScanTest, FailsWhenNoPackageFits)
{
    AddPackage("scanners.qup", InstallationManifest(PackageVersions{}, "Scanners", "200501 200601"));
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(model->selector.empty());
    EXPECT_FALSE(host.endedWithSuccess);
    // The unit is still shown as found, nothing is marked.
    EXPECT_EQ(model->displayed.unit.address, kUnitAddress);
    EXPECT_FALSE(model->displayed.UpdateOffered(kUnitRow));
}

TEST_F(ScanTest, UnitWithoutModulesAndAPackageForItsArticle)
{
    InstallationConfig config = InstallationConfig::Default();
    config.modules.clear();
    Serve(config);
    AddPackage("unit.qup", InstallationManifest(PackageVersions{"2.5.4.0", "", "", ""}, "Unit only", "100301"));
    ASSERT_TRUE(Scan());
    EXPECT_EQ(model->displayed.moduleCount, 0);
    ASSERT_EQ(model->selector.size(), 1u);
    EXPECT_TRUE(model->displayed.UpdateOffered(kUnitRow));
}

TEST_F(ScanTest, EqualVersionsAndMissingSectionsAreNotMarked)
{
    // Keypad at its installed version; no section for the type-6 scanner.
    AddPackage("p.qup", InstallationManifest(PackageVersions{"2.5.4.0", "6.4.10.0", "", "1.2.0.5"}));
    ASSERT_TRUE(Scan());
    EXPECT_FALSE(model->displayed.UpdateOffered(2));
    EXPECT_EQ(host.stateTexts[2], LoadUiString(kTextUpdateNotOffered));
    EXPECT_FALSE(model->displayed.UpdateOffered(1));
    EXPECT_EQ(host.stateTexts.count(1), 0u);
    EXPECT_TRUE(model->displayed.UpdateOffered(0));
}

TEST_F(ScanTest, SilentBusLogsAndFails)
{
    InstallationConfig config = InstallationConfig::Default();
    FaultRule silence;
    silence.type = FaultType::Silence;
    silence.fromMs = 0;
    silence.untilMs = 3'600'000;
    config.faults.push_back(silence);
    Serve(config);
    AddPackage("all.qup", InstallationManifest(PackageVersions{}));
    EXPECT_FALSE(Scan());
    const std::vector<std::uint32_t> expected = {kTextScanStart, kTextNoUnitAnswer, kTextScanFoundNothing};
    EXPECT_EQ(host.logIds, expected);
    EXPECT_TRUE(host.messages.empty());  // scan only: no message
}

}  // namespace
}  // namespace quorfw::test
