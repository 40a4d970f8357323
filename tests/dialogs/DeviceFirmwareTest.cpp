#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/UiStringIds.h"
#include "common/LittleEndian.h"
#include "dialogs/DeviceFirmwareCommand.h"
#include "dialogs/DeviceFirmwareList.h"
#include "dialogs/DeviceFirmwareWorker.h"
#include "dialogs/WiegandCommand.h"
#include "packages/PackageContainer.h"
#include "tests/app/SimulatedInstallationFixture.h"

namespace quorfw::test {
namespace {

constexpr std::uint32_t kScannerAddress = 0x70123456;
constexpr const char* kScannerSerial = "93245500001234";

std::string DeviceManifest(const std::string& title, bool withImage)
{
    std::string m = "format = 7\nkey = 0x5D2E8A10\nheader = long\ntitle = " + title + "\nname = " + title +
                    " name\narticles = 100301 932455\n";
    if (withImage) {
        m += "[type 5]\nversion = 6.5.0.0\ndata = generate module size=12K seed=55\n";
    } else {
        m += "[type 6]\nversion = 3.0.5.0\ndata = generate module size=4K seed=62\n";
    }
    return m + "[section 5]\ndata = generate settings seed=56\n";
}

UpdateFile PackageOf(const std::string& manifest)
{
    std::vector<std::uint8_t> record;
    std::string error;
    EXPECT_TRUE(BuildPackageFromManifest(manifest, ".", true, record, error)) << error;
    UpdateFile file;
    EXPECT_TRUE(file.LoadRecord(record, false));
    return file;
}

TEST(DeviceFirmwareList, ListsPackagesWithDeviceFirmwareFromTheLastToTheFirst)
{
    const std::vector<UpdateFile> packages = {PackageOf(DeviceManifest("A", true)), PackageOf(DeviceManifest("B", true)),
                                              PackageOf(DeviceManifest("X", false)),
                                              PackageOf(DeviceManifest("C", true))};
    const auto rows = DeviceFirmwareList(packages);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].title, "C");
    EXPECT_EQ(rows[0].packageIndex, 3u);
    EXPECT_EQ(rows[1].title, "B");
    EXPECT_EQ(rows[1].packageIndex, 1u);
    EXPECT_EQ(rows[2].title, "A");
    EXPECT_EQ(rows[2].name, "A name");
    EXPECT_EQ(rows[2].version, "6.5.0.0");
    EXPECT_EQ(rows[2].packageIndex, 0u);
    EXPECT_TRUE(DeviceFirmwareList({}).empty());
}

// The default unit with one finger scanner of the device firmware article in slot 0.
InstallationConfig ScannerInstallation()
{
    InstallationConfig c = InstallationConfig::Default();
    c.modules.resize(1);
    c.modules[0].address = kScannerAddress;
    c.modules[0].version = 6040901;
    c.modules[0].serial = kScannerSerial;
    return c;
}

std::uint32_t WordSum(const std::vector<std::uint8_t>& image, std::size_t start, std::size_t end)
{
    std::uint32_t sum = 0;
    for (std::size_t pos = start; pos < end; pos += 4) {
        sum += ReadLe32(&image[pos]);
    }
    return sum;
}

class DeviceFirmwareTest : public SimulatedInstallationTest {};

TEST_F(DeviceFirmwareTest, TheScannerReceivesTheDeviceContainerAndComesBackWithTheNewVersion)
{
    Serve(ScannerInstallation());
    AddPackage("device.qup", DeviceManifest("Device", true));
    ASSERT_TRUE(Scan());
    ASSERT_TRUE(CanProgramDeviceFirmware(*model));
    EXPECT_FALSE(CanEditWiegand(*model));  // a unit of type 3

    const UpdateFile& package = model->packages.at(0);
    const int stopsBefore = host.timerStops;
    ASSERT_EQ(StartDeviceFirmware(*model, host, package), MainModel::StartResult::Started);
    model->WaitForOperation();
    EXPECT_EQ(host.outcomes, (std::vector<std::pair<std::uint32_t, int>>{{kTextDeviceFirmwareProgrammed, 0}}));
    EXPECT_TRUE(host.endedWithSuccess);
    EXPECT_EQ(host.timerStarts, 1);  // the progress timer ran around the transfer
    EXPECT_EQ(host.timerStops, stopsBefore + 1);

    SimTransferReceiver* receiver = installation->Firmware().Receiver(kScannerAddress);
    ASSERT_NE(receiver, nullptr);
    ASSERT_TRUE(receiver->WasDeviceContainer());
    const std::vector<std::uint8_t>& container = receiver->Unpacked();

    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> settings;
    ASSERT_TRUE(DecryptPackageData(package.GetImage(5)->span(), image));
    ASSERT_TRUE(DecryptPackageData(package.GetSectionImage(5)->span(), settings));
    ASSERT_GE(settings.size(), 388u);

    // Layout of a 6.5.0.0 image: checksum at 0x1040, summed from 0x1044, configuration
    // area (flag word and 388 information bytes) at 0x1054.
    constexpr std::size_t kImage = 8, kChecksum = 0x1040, kSumStart = 0x1044, kConfig = 0x1054, kArea = 4 + 388;
    const std::size_t length = 1048976 + 4 * 2;
    ASSERT_EQ(container.size(), length);
    std::vector<std::uint8_t> expected(length, 0);
    WriteLe32(&expected[0], static_cast<std::uint32_t>(length));
    WriteLe32(&expected[4], 2);
    std::copy(image.begin(), image.end(), expected.begin() + kImage);
    // What the programming patched into the image is taken over here and checked below.
    std::copy_n(container.begin() + kImage + kChecksum, 4, expected.begin() + kImage + kChecksum);
    std::copy_n(container.begin() + kImage + kConfig, kArea, expected.begin() + kImage + kConfig);
    WriteLe32(&expected[1048584], 0x06050000);  // BCD 6.5.0.0
    std::copy_n(settings.begin(), 388, expected.begin() + 1048588);
    WriteLe32(&expected[1048976], 100301);
    WriteLe32(&expected[1048980], 932455);
    const auto mismatch = std::mismatch(container.begin(), container.end(), expected.begin());
    EXPECT_TRUE(mismatch.first == container.end()) << "first difference at " << (mismatch.first - container.begin());

    // The configuration area carries the scanner's own information block, read afresh:
    // its length word, the new version and its serial number.
    const std::vector<std::uint8_t> patched(container.begin() + kImage, container.begin() + kImage + image.size());
    const std::uint8_t* information = &patched[kConfig + 4];
    EXPECT_EQ(ReadLe32(information), 404u);
    EXPECT_EQ(ReadLe32(information + 8), 6050000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(information + 16), 14), kScannerSerial);
    EXPECT_EQ(ReadLe32(&patched[kChecksum]), WordSum(patched, kSumStart, ReadLe32(&patched[0x20])));

    clock.AdvanceMs(5000);  // the scanner restarts into its new firmware
    ASSERT_TRUE(Scan());
    EXPECT_EQ(model->displayed.modules[0].serial, kScannerSerial);
    EXPECT_EQ(model->displayed.modules[0].version, 6050000u);
    EXPECT_EQ(installation->Firmware().Installs(kScannerAddress), 1u);
}

TEST_F(DeviceFirmwareTest, AStationThatIsNoDeviceScannerWhenReadAgainIsNotProgrammed)
{
    // The default installation: slot 0 holds a scanner of article 200501.
    AddPackage("device.qup", DeviceManifest("Device", true));
    AddPackage("fits.qup", InstallationManifest(PackageVersions{}));
    ASSERT_TRUE(Scan());
    EXPECT_FALSE(CanProgramDeviceFirmware(*model));
    // As if the scanner had been exchanged since the scan the window shows.
    model->displayed.modules[0].serial = kScannerSerial;
    ASSERT_TRUE(CanProgramDeviceFirmware(*model));

    const UpdateFile* device = nullptr;
    for (const UpdateFile& package : model->packages) {
        device = package.GetTitle() == "Device" ? &package : device;
    }
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(StartDeviceFirmware(*model, host, *device), MainModel::StartResult::Started);
    model->WaitForOperation();
    EXPECT_EQ(host.outcomes, (std::vector<std::pair<std::uint32_t, int>>{
                                 {kTextDeviceFirmwareNoScanner, kDeviceFirmwareNoScanner}}));
    EXPECT_FALSE(host.endedWithSuccess);
    EXPECT_EQ(installation->Firmware().Receiver(kScanner5Address)->Count().starts, 0u);
}

}  // namespace
}  // namespace quorfw::test
