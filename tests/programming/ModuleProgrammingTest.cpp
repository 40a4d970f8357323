#include "programming/ModuleProgramming.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include <unistd.h>

#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "packages/UpdateFile.h"
#include "packages/VersionNumber.h"
#include "programming/DeviceContainer.h"
#include "programming/ImageConfigPatch.h"
#include "programming/SettingsMerge.h"
#include "tests/programming/ProgrammingBench.h"
#include "tools/DemoImage.h"

namespace quorfw {
namespace {

// A package as the builder writes it, with images for module types 5, 6 and 7 and both
// settings blocks, read back through the package file reader.
struct BuiltPackage {
    UpdateFile file;
    std::vector<std::uint8_t> settings5;  // plain, for the expectations
    std::vector<std::uint8_t> settings4;
    std::vector<std::uint8_t> image5;
    std::vector<std::uint8_t> image6;
    std::vector<std::uint8_t> image7;
};

BuiltPackage BuildPackage(const std::string& version5, const std::string& version6, std::size_t imageSize)
{
    BuiltPackage p;
    p.image5 = GenerateModuleImage(imageSize, 21, VersionToInt(version5));
    p.image6 = GenerateModuleImage(imageSize, 22, VersionToInt(version6));
    p.image7 = GenerateFirmwareBytes(5000, 23);
    p.settings5 = GenerateSettingsBlock(400, 24);
    p.settings4 = GenerateSettingsBlock(388, 25);

    PackageRecordContent content;
    content.articles = {"200501", "200601", "300701"};
    content.title = "programming test";
    content.name = "test.qup";
    content.sections[3] = {version5, ProgrammingBench::Seal(p.image5)};
    content.sections[0] = {version6, ProgrammingBench::Seal(p.image6)};
    content.sections[12] = {"1.3.0.0", ProgrammingBench::Seal(p.image7)};
    content.sections[5] = {"", ProgrammingBench::Seal(p.settings5)};
    content.sections[4] = {"", ProgrammingBench::Seal(p.settings4)};
    std::vector<std::uint8_t> record;
    std::string error;
    EXPECT_TRUE(BuildPackageRecord(content, record, error)) << error;

    const auto path = std::filesystem::temp_directory_path() /
                      ("quorfw-programming-" + std::to_string(::getpid()) + "-" + version5 + ".qup");
    const auto sealed = ProgrammingBench::Seal(record);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(sealed.data()),
                                                static_cast<std::streamsize>(sealed.size()));
    EXPECT_TRUE(p.file.Load(path.string(), false));
    std::filesystem::remove(path);
    return p;
}

std::vector<std::uint8_t> Bytes(const SharedBytes* shared)
{
    return shared != nullptr ? shared->ToVector() : std::vector<std::uint8_t>{};
}

// The image the tool means to send: decrypted and patched with a copy of the module as it
// was before the update.
std::vector<std::uint8_t> IntendedImage(std::vector<std::uint8_t> plain, std::uint32_t version, ModuleInfo module,
                                        const std::vector<std::uint8_t>& sealedSettings, VirtualClock& clock)
{
    EXPECT_TRUE(PatchImageConfig(plain, version, module, &sealedSettings, LocalYearMonth(clock)));
    return plain;
}

struct ModuleProgramming : ::testing::Test {
    ProgrammingBench bench;
    BuiltPackage package = BuildPackage("6.5.1.2", "3.0.4.20", 60000);
    std::vector<std::uint8_t> sealedSettings5 = Bytes(package.file.GetSectionImage(5));
    std::vector<std::uint8_t> sealedSettings4 = Bytes(package.file.GetSectionImage(4));

    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        bench.installation->ClearLogs();
    }
};

TEST_F(ModuleProgramming, PackageImageArrivesPatchedCompressedAndIsRunAfterTheRestart)
{
    BusSession& s = bench.session;
    s.settingsTemplate = &sealedSettings5;
    const ModuleInfo before = s.modules[0];
    const auto sealed = Bytes(package.file.GetImage(5));
    const std::string version = package.file.GetVersion(5);
    ASSERT_EQ(version, "6.5.1.2");

    ASSERT_EQ(UpdateModule(s, sealed, version, 0, false), kProgramOk);
    const auto expected = IntendedImage(package.image5, 6050102, before, sealedSettings5, bench.clock);
    const SimTransferReceiver& module = bench.Receiver(ProgrammingBench::kScanner5);
    EXPECT_TRUE(module.WasCompressed());
    EXPECT_LT(module.Received().size(), expected.size());
    EXPECT_EQ(module.Unpacked(), expected);
    EXPECT_EQ(module.ImageVersion(), 6050102u);
    EXPECT_EQ(s.modules[0].restartPending, 1);
    EXPECT_GT(s.transferDuration, 0u);
    EXPECT_GE(s.progress.load(), 100u);
    EXPECT_EQ(s.modules[0].updateFlags & 0x4, 0x4u);

    const auto texts = bench.CommandsTo(ProgrammingBench::kScanner5, 0x1E);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Operand1(), 1u);
    EXPECT_EQ(texts[0].Operand2(), 0u);
    EXPECT_EQ(texts[0].Length(), 1 + 28);
    EXPECT_EQ(texts[0].Data()[0], ' ');

    // The module restarts into the new firmware and says so.
    ASSERT_TRUE(bench.AwaitIdentity(0));
    EXPECT_EQ(s.modules[0].version, 6050102u);
    EXPECT_EQ(bench.installation->Firmware().Installs(ProgrammingBench::kScanner5), 1u);
}

TEST_F(ModuleProgramming, CompressedFromVersion3_0_4_20On)
{
    struct Case {
        const char* version;
        bool compressed;
    } cases[] = {{"3.0.4.19", false}, {"3.0.4.20", true}};
    for (const auto& c : cases) {
        bench.session.settingsTemplate = &sealedSettings4;
        const ModuleInfo before = bench.session.modules[1];
        const auto sealed = Bytes(package.file.GetImage(6));
        ASSERT_EQ(UpdateModule(bench.session, sealed, c.version, 1, false), kProgramOk) << c.version;
        const SimTransferReceiver& module = bench.Receiver(ProgrammingBench::kScanner6);
        EXPECT_EQ(module.WasCompressed(), c.compressed) << c.version;
        const auto expected = IntendedImage(package.image6, VersionToInt(c.version), before, sealedSettings4, bench.clock);
        EXPECT_EQ(module.Unpacked(), expected) << c.version;
        EXPECT_EQ(module.Received().size() < expected.size(), c.compressed) << c.version;
        ASSERT_TRUE(bench.AwaitIdentity(1));
    }
}

TEST_F(ModuleProgramming, KeypadIsSentUnpatchedAndUncompressed)
{
    bench.session.settingsTemplate = &sealedSettings4;
    ASSERT_EQ(bench.session.modules[2].type, 7u);
    const ModuleInfo before = bench.session.modules[2];
    ASSERT_EQ(UpdateModule(bench.session, Bytes(package.file.GetImage(7)), "1.3.0.0", 2, false), kProgramOk);
    const SimTransferReceiver& keypad = bench.Receiver(ProgrammingBench::kKeypad);
    EXPECT_EQ(keypad.LastName(), "keypad");
    EXPECT_EQ(keypad.LastForm(), SimTransferReceiver::Form::Keypad);
    ASSERT_EQ(keypad.Received().size(), 5120u);  // 32 + 5000, filled to a multiple of 512
    EXPECT_TRUE(std::equal(package.image7.begin(), package.image7.end(), keypad.Received().begin() + 32));
    EXPECT_EQ(bench.session.modules[2].information, before.information);
    EXPECT_EQ(bench.session.modules[2].updateFlags, 0u);
}

TEST_F(ModuleProgramming, DeviceFirmwareTravelsInTheContainer)
{
    const std::vector<std::string> articles{"200501", "931166"};
    bench.session.settingsTemplate = &sealedSettings5;
    bench.session.deviceValues = &articles;
    const ModuleInfo before = bench.session.modules[0];
    ASSERT_EQ(UpdateModule(bench.session, Bytes(package.file.GetImage(5)), "6.5.1.2", 0, true), kProgramOk);

    const auto image = IntendedImage(package.image5, 6050102, before, sealedSettings5, bench.clock);
    const auto expected = BuildDeviceContainer(image, 0x06050102, package.settings5, articles);
    ASSERT_TRUE(expected);
    const SimTransferReceiver& module = bench.Receiver(ProgrammingBench::kScanner5);
    EXPECT_TRUE(module.WasDeviceContainer());
    EXPECT_TRUE(module.WasCompressed());
    EXPECT_EQ(module.Unpacked(), *expected);
    const auto texts = bench.CommandsTo(ProgrammingBench::kScanner5, 0x1E);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Operand1(), 0x10000000u);
    EXPECT_EQ(texts[0].Operand2(), 0x80000000u);
    ASSERT_TRUE(bench.AwaitIdentity(0));
    EXPECT_EQ(bench.session.modules[0].version, 6050102u);
}

TEST_F(ModuleProgramming, ImagesThatCannotBePreparedSendNothing)
{
    bench.session.settingsTemplate = &sealedSettings5;
    const std::vector<std::string> noValues;
    std::vector<std::uint8_t> tooShort(0x38 + 391, 0);
    WriteLe32(&tooShort[0x20], 0x38 + 391);
    std::vector<std::uint8_t> endPastImage = package.image6;
    WriteLe32(&endPastImage[0x20], static_cast<std::uint32_t>(endPastImage.size() + 1));
    const std::vector<std::uint8_t> notAContainer{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    struct Case {
        const char* what;
        std::vector<std::uint8_t> sealed;
        const char* version;
        bool device;
        int code;
    } cases[] = {
        {"empty", {}, "3.0.4.20", false, kProgramEmptyImage},
        {"not a container", notAContainer, "3.0.4.20", false, kProgramImageUnusable},
        {"too short for its layout", ProgrammingBench::Seal(tooShort), "3.0.4.20", false, kProgramImageUnusable},
        {"sum ending past the image", ProgrammingBench::Seal(endPastImage), "3.0.4.20", false, kProgramImageUnusable},
        {"above the device area", ProgrammingBench::Seal(GenerateModuleImage(1048577, 26, 6050102)), "6.5.1.2", true,
         kProgramImageUnusable},
    };
    for (const auto& c : cases) {
        bench.session.deviceValues = &noValues;
        EXPECT_EQ(UpdateModule(bench.session, c.sealed, c.version, 1, c.device), c.code) << c.what;
        EXPECT_EQ(bench.session.modules[1].restartPending, 0) << c.what;
    }
    EXPECT_TRUE(bench.installation->Requests().empty());
}

TEST_F(ModuleProgramming, FailedTransferGivesCode4AndNoRestart)
{
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = ProgrammingBench::kScanner6;
    drop.command = 0x17;
    bench.installation->Faults().Add(drop);
    bench.session.settingsTemplate = &sealedSettings4;
    bench.session.modules[1].restartPending = 1;
    EXPECT_EQ(UpdateModule(bench.session, Bytes(package.file.GetImage(6)), "3.0.4.20", 1, false), kProgramTransferFailed);
    EXPECT_EQ(bench.session.modules[1].restartPending, 0);
    EXPECT_TRUE(bench.CommandsTo(ProgrammingBench::kScanner6, 0x1E).empty());
}

// Answers lost and damaged on the way: every run either ends with the module holding
// exactly the intended image, or fails; none reports success for anything else.
TEST(ModuleProgrammingNoisyBus, CompletesOrFailsCleanly)
{
    const BuiltPackage package = BuildPackage("6.5.1.2", "3.0.4.20", 30000);
    const auto sealedSettings = Bytes(package.file.GetSectionImage(4));
    int succeeded = 0;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        InstallationConfig config = InstallationConfig::Default();
        ProgrammingBench bench(config, seed);
        ASSERT_TRUE(bench.Connect());
        for (FaultType type : {FaultType::Drop, FaultType::Corrupt}) {
            FaultRule noise;
            noise.type = type;
            noise.probability = 0.15;
            bench.installation->Faults().Add(noise);
        }
        bench.session.settingsTemplate = &sealedSettings;
        const ModuleInfo before = bench.session.modules[1];
        const int code = UpdateModule(bench.session, Bytes(package.file.GetImage(6)), "3.0.4.20", 1, false);
        const SimTransferReceiver& module = bench.Receiver(ProgrammingBench::kScanner6);
        if (code == kProgramOk) {
            ++succeeded;
            // Verified, and maybe already restarted into while the tool re-announced its key.
            EXPECT_TRUE(module.ImageVerified() ||
                        bench.installation->Firmware().Installs(ProgrammingBench::kScanner6) == 1);
            EXPECT_EQ(module.Unpacked(), IntendedImage(package.image6, 3000420, before, sealedSettings, bench.clock));
        } else {
            EXPECT_EQ(code, kProgramTransferFailed);
            EXPECT_EQ(bench.session.modules[1].restartPending, 0);
        }
    }
    EXPECT_GT(succeeded, 0);
}

}  // namespace
}  // namespace quorfw
