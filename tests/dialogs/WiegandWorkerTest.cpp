#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "app/UiStringIds.h"
#include "bus/BusCommandCodes.h"
#include "dialogs/WiegandCommand.h"
#include "dialogs/WiegandForm.h"
#include "dialogs/WiegandSettings.h"
#include "dialogs/WiegandWorker.h"
#include "tests/app/SimulatedInstallationFixture.h"

namespace quorfw::test {
namespace {

constexpr std::uint32_t kWiegandUnitAddress = 0x21000009;

// A unit of type 9 (an unknown hardware family with kind code 11) in per-scanner mode,
// with one finger scanner entry.
InstallationConfig WiegandInstallation()
{
    InstallationConfig c;
    c.unit.address = kWiegandUnitAddress;
    c.unit.hardwareCode = 0x30000041;
    c.unit.version = 2060003;
    c.unit.serial = "10090100004321";
    c.unit.information.assign(94, 0);
    c.unit.information[0] = 0x02;  // configuration
    c.unit.information[81] = 0;
    c.unit.information[82] = 8;
    c.unit.information[83] = 16;
    c.unit.information[85] = 11;  // kind code
    c.unit.information[90] = 123;
    c.unit.extraBlock.assign(64, 0);
    std::memcpy(c.unit.extraBlock.data(), "93245500001111", 14);
    c.unit.extraBlock[14] = 17;
    return c;
}

class WiegandWorkerTest : public SimulatedInstallationTest {
protected:
    [[nodiscard]] std::vector<SimParameterWrite> ConfigurationWrites() const
    {
        std::vector<SimParameterWrite> found;
        for (const SimParameterWrite& write : installation->Commands().ParameterWrites()) {
            if (write.number == kUnitConfigurationOperand) {
                found.push_back(write);
            }
        }
        return found;
    }
};

TEST_F(WiegandWorkerTest, WritesTheSeventyTwoBytesFromTheWiegandAddressAndALaterScanShowsThem)
{
    Serve(WiegandInstallation());
    (void)Scan();  // no package fits, but the unit is read and shown
    ASSERT_EQ(model->displayed.unit.type, 9u);
    ASSERT_TRUE(CanEditWiegand(*model));

    WiegandForm form(WiegandSettingsFromUnit(model->displayed));
    form.edits.oemCodeLength = "8";
    form.OemCodeLengthEdited();
    form.edits.oemCode = "200";
    form.edits.facilityCodeLength = "10";
    form.edits.scannerSerial[1] = "93245500002222";
    form.edits.scannerFacilityCode[1] = "256";
    form.edits.scannerSerial[2] = "12345678901234";  // dropped: not a finger scanner serial
    form.edits.scannerFacilityCode[2] = "5";
    ASSERT_EQ(form.Accept(), std::nullopt);

    // The unit calls for the tool, so the operation keeps its own address 0xA0000000.
    installation->Commands().StartUnitAnnouncements(InstallationMs() * 1000);
    ASSERT_EQ(StartWiegand(*model, host, form.Settings()), MainModel::StartResult::Started);
    model->WaitForOperation();

    std::array<std::uint8_t, 72> expected{};
    expected[0] = 2;
    expected[1] = 10;   // facility code length
    expected[2] = 16;   // user ID length
    expected[3] = 8;    // OEM code length
    expected[4] = 200;  // OEM code
    expected[5] = 0;
    expected[6] = 0;  // per-scanner mode: the one facility code is 0
    expected[7] = 0;
    std::memcpy(&expected[8], "93245500001111", 14);
    expected[8 + 14] = 17;
    std::memcpy(&expected[8 + 16], "93245500002222", 14);
    expected[8 + 30] = 0x00;
    expected[8 + 31] = 0x01;

    const auto writes = ConfigurationWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].station, kWiegandUnitAddress);
    EXPECT_EQ(writes[0].source, 0xA0000000u);
    EXPECT_EQ(writes[0].value, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_TRUE(model->lastOperationSucceeded);
    EXPECT_TRUE(host.endedWithSuccess);
    EXPECT_EQ(host.outcomes, (std::vector<std::pair<std::uint32_t, int>>{{kTextWiegandWritten, kWiegandWritten}}));
    EXPECT_FALSE(model->Busy());

    (void)Scan();
    const WiegandSettings rescanned = WiegandSettingsFromUnit(model->displayed);
    EXPECT_EQ(rescanned.oemCodeLength, 8);
    EXPECT_EQ(rescanned.oemCode, 200);
    EXPECT_EQ(rescanned.facilityCodeLength, 10);
    EXPECT_EQ(rescanned.scannerSerial[1], "93245500002222");
    EXPECT_EQ(rescanned.scannerFacilityCode[1], 256);
    EXPECT_EQ(rescanned.scannerSerial[2], "");
    EXPECT_EQ(rescanned.scannerFacilityCode[2], 0);
}

TEST_F(WiegandWorkerTest, AnInstallationThatDoesNotAnswerIsSentNothingAndTheHostHearsIt)
{
    Serve(WiegandInstallation());
    (void)Scan();
    FaultRule silence;
    silence.type = FaultType::Silence;
    silence.fromMs = InstallationMs();
    silence.untilMs = InstallationMs() + 3'600'000;
    installation->Faults().Add(silence);

    ASSERT_EQ(StartWiegand(*model, host, WiegandSettingsFromUnit(model->displayed)), MainModel::StartResult::Started);
    model->WaitForOperation();
    EXPECT_TRUE(ConfigurationWrites().empty());
    EXPECT_FALSE(model->lastOperationSucceeded);
    EXPECT_FALSE(host.endedWithSuccess);
    EXPECT_EQ(host.outcomes,
              (std::vector<std::pair<std::uint32_t, int>>{{kTextNothingSentNoUnit, kWiegandNotConnected}}));
    EXPECT_TRUE(host.Logged(kTextScanFoundNothing));
}

}  // namespace
}  // namespace quorfw::test
