#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/MainModel.h"
#include "app/PackageAvailability.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "tests/app/RecordingHost.h"

namespace quorfw::test {
namespace {

class ModelAvailabilityTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    }

    VirtualClock clock;
    ConverterHub hub;
    MainModel model{hub, clock};
    RecordingHost host;
};

TEST_F(ModelAvailabilityTest, UpdateStatesWriteTheCellAndOnlyAnOfferSetsAnyOffered)
{
    SetUpdateState(model, host, 0, UpdateState::Done, 37'999);
    EXPECT_EQ(model.Cells(0).state, "Ok: 37s");
    EXPECT_EQ(host.stateTexts[0], "Ok: 37s");
    SetUpdateState(model, host, kUnitRow, UpdateState::Done, 999);
    EXPECT_EQ(model.Cells(kUnitRow).state, "Ok: 0s");
    SetUpdateState(model, host, 1, UpdateState::NotOffered, 0);
    EXPECT_EQ(model.Cells(1).state, LoadUiString(kTextUpdateNotOffered));
    EXPECT_FALSE(model.AnyOffered());
    SetUpdateState(model, host, 1, UpdateState::Offered, 0);
    EXPECT_EQ(model.Cells(1).state, LoadUiString(kTextUpdateOffered));
    EXPECT_TRUE(model.AnyOffered());
}

TEST_F(ModelAvailabilityTest, UnitNoticeMarksWithoutSettingAnyOffered)
{
    model.displayed.unit.present = 1;
    model.displayed.unit.version = 2001020;
    DecideAvailability(model, host, kUnitRow, "3.0.0.0");
    EXPECT_TRUE(model.displayed.UpdateOffered(kUnitRow));
    EXPECT_EQ(model.Cells(kUnitRow).state, LoadUiString(kTextUnitNotice));
    EXPECT_EQ(model.Cells(kUnitRow).available, "3.0.0.0");
    EXPECT_FALSE(model.AnyOffered());

    DecideAvailability(model, host, kUnitRow, "1.0.0.0");
    EXPECT_FALSE(model.displayed.UpdateOffered(kUnitRow));
    EXPECT_EQ(model.Cells(kUnitRow).state, LoadUiString(kTextUnitNotice));
}

TEST_F(ModelAvailabilityTest, PackageWithoutVersionLeavesTheRowAsItWas)
{
    model.displayed.modules[0].version = 3000419;
    model.displayed.modules[0].address = 0x50234567;
    DecideAvailability(model, host, 0, "3.0.4.20");
    ASSERT_TRUE(model.displayed.UpdateOffered(0));
    const std::string state = model.Cells(0).state;
    DecideAvailability(model, host, 0, "");
    EXPECT_TRUE(model.displayed.UpdateOffered(0));
    EXPECT_EQ(model.Cells(0).state, state);
    EXPECT_EQ(model.Cells(0).available, "3.0.4.20");
}

TEST_F(ModelAvailabilityTest, ModuleWithoutVersionIsMarkedWithEmptyCells)
{
    model.displayed.modules[1].address = 0x70000001;
    DecideAvailability(model, host, 1, "6.4.10.0");
    EXPECT_TRUE(model.displayed.UpdateOffered(1));
    EXPECT_EQ(model.Cells(1).available, "");
    EXPECT_EQ(model.Cells(1).state, "");
}

TEST_F(ModelAvailabilityTest, StartWithoutConverterOnlyResetsTheDisplay)
{
    EXPECT_EQ(model.StartOperation(false, MainModel::kOwnAddress, [](MainModel&, BusSession&) { FAIL(); }),
              MainModel::StartResult::NoConverter);
    EXPECT_FALSE(model.Busy());
    EXPECT_FALSE(model.CanUpdate());
}

}  // namespace
}  // namespace quorfw::test
