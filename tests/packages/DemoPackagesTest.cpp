// The demo packages the build makes from data/*.qupm, read back as the product reads them,
// against what data/README.md promises for the built-in simulated installation.
#include <filesystem>

#include <gtest/gtest.h>

#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "packages/PackageFolder.h"
#include "packages/UpdateFile.h"
#include "packages/VersionNumber.h"
#include "tools/DemoImage.h"

namespace quorfw {
namespace {

std::filesystem::path DemoPackageFolder()
{
    return QUORFW_DEMO_PACKAGE_DIR;
}

UpdateFile LoadDemo(const std::string& name)
{
    UpdateFile file;
    EXPECT_TRUE(file.Load((DemoPackageFolder() / name).string(), false)) << name;
    return file;
}

std::vector<std::uint8_t> Decrypt(std::span<const std::uint8_t> container)
{
    std::vector<std::uint8_t> plain;
    EXPECT_TRUE(DecryptPackageData(container, plain));
    return plain;
}

TEST(DemoPackages, InstallationPackageFitsEveryStationWithNewerFirmware)
{
    const UpdateFile demo = LoadDemo("demo-installation.qup");
    for (const char* serial : {"10030100001234", "20050100005678", "20060100009012", "30070100003456"}) {
        EXPECT_TRUE(demo.AppliesToSerial(serial)) << serial;
    }
    EXPECT_EQ(demo.GetVersion(3), "2.5.4.0");
    EXPECT_EQ(demo.GetVersion(5), "6.4.10.0");
    EXPECT_EQ(demo.GetVersion(6), "3.0.4.20");
    EXPECT_EQ(demo.GetVersion(7), "1.2.1.0");
    EXPECT_FALSE(demo.GetInfoText().empty());

    // The unit image is a pair of containers; the controller part fits a type-3 unit.
    const SharedBytes& unit = *demo.GetImage(3);
    ASSERT_GE(unit.size(), 8u);
    const std::uint32_t length1 = ReadLe32(unit.data());
    const std::uint32_t length2 = ReadLe32(unit.data() + 4);
    ASSERT_EQ(std::size_t{8} + length1 + length2, unit.size());
    EXPECT_EQ(Decrypt(unit.span().subspan(8, length1)).size(), 122880u);
    EXPECT_FALSE(Decrypt(unit.span().subspan(8 + length1)).empty());

    EXPECT_LE(Decrypt(*demo.GetImage(7)).size(), 131072u - 32u - 512u);  // keypad, with fill

    for (const int section : {4, 5}) {
        const std::vector<std::uint8_t> settings = Decrypt(*demo.GetSectionImage(section));
        ASSERT_GE(settings.size(), 388u);
        EXPECT_NE(settings[265] & 0x04, 0) << "settings valid bit, section " << section;
    }
}

TEST(DemoPackages, ModuleImagesCarryTheLayoutOfTheirVersion)
{
    const UpdateFile demo = LoadDemo("demo-installation.qup");
    struct Case {
        int type;
        std::size_t configOffset;
    };
    for (const Case c : {Case{5, 0x1054}, Case{6, 0x38}}) {
        const std::vector<std::uint8_t> image = Decrypt(*demo.GetImage(c.type));
        ASSERT_GE(image.size(), 64u * 1024);
        const ModuleImageLayout layout = ModuleImageLayoutFor(VersionToInt(demo.GetVersion(c.type)));
        ASSERT_EQ(layout.configOffset, c.configOffset);
        const std::uint32_t end = ReadLe32(image.data() + kModuleImageSumEndOffset);
        EXPECT_EQ(end, image.size());
        EXPECT_EQ(ReadLe32(image.data() + layout.checksumOffset), ModuleImageChecksum(image, layout.sumStart, end));
        for (std::size_t i = 0; i < kModuleConfigAreaSize; ++i) {
            ASSERT_EQ(image[layout.configOffset + i], 0) << "type " << c.type << " offset " << i;
        }
    }
}

TEST(DemoPackages, ScannerPackageDoesNotFitTheWholeInstallation)
{
    const UpdateFile scanners = LoadDemo("demo-scanners.qup");
    EXPECT_TRUE(scanners.AppliesToSerial("20050100005678"));
    EXPECT_TRUE(scanners.AppliesToSerial("20060100009012"));
    EXPECT_FALSE(scanners.AppliesToSerial("10030100001234"));
    EXPECT_FALSE(scanners.AppliesToSerial("30070100003456"));

    // Every manifest in data/ became a package the folder scan accepts.
    std::size_t manifests = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUORFW_DEMO_MANIFEST_DIR)) {
        manifests += entry.path().extension() == ".qupm" ? 1 : 0;
    }
    EXPECT_EQ(LoadPackageFolder(DemoPackageFolder()).size(), manifests);
}

}  // namespace
}  // namespace quorfw
