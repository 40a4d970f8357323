#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/MainModel.h"
#include "app/OperationStart.h"
#include "app/UiStrings.h"
#include "bus/BusMessage.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "packages/PackageFolder.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"
#include "tests/app/RecordingHost.h"
#include "tools/PackageManifest.h"

namespace quorfw::test {

// Versions of the package sections, by the station they address; empty leaves the section
// out (the package then has no version for that station).
struct PackageVersions {
    std::string unit = "2.5.4.0";
    std::string scanner5 = "6.4.10.0";
    std::string scanner6 = "3.0.4.20";
    std::string keypad = "1.2.1.0";
};

// A package for the default simulated installation, images kept small so that whole
// update runs take little computing. `unitSection` replaces the unit's section body.
inline std::string InstallationManifest(const PackageVersions& v, const std::string& name = "Test package",
                                        const std::string& articles = "100301 200501 200601 300701",
                                        const std::string& unitSection = {})
{
    std::string m = "format = 7\nkey = 0x3C5A9E70\nheader = long\ntitle = " + name + " title\nname = " + name +
                    "\narticles = " + articles + "\n";
    if (!v.unit.empty()) {
        m += "[type 3]\nversion = " + v.unit + "\n";
        m += unitSection.empty() ? "wrap = composite\ndata = generate firmware size=6K seed=31\n"
                                   "data2 = generate firmware size=1K seed=32\n"
                                 : unitSection;
    }
    if (!v.scanner5.empty()) {
        m += "[type 5]\nversion = " + v.scanner5 + "\ndata = generate module size=12K seed=51\n";
    }
    if (!v.scanner6.empty()) {
        m += "[type 6]\nversion = " + v.scanner6 + "\ndata = generate module size=10K seed=61\n";
    }
    if (!v.keypad.empty()) {
        m += "[type 7]\nversion = " + v.keypad + "\ndata = generate firmware size=4K seed=71\n";
    }
    m += "[section 4]\ndata = generate settings seed=4\n[section 5]\ndata = generate settings seed=5\n";
    return m;
}

// The default simulated installation behind a converter hub, a main model on a virtual
// clock, a package folder of its own and a recording host.
class SimulatedInstallationTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    }

    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quorfw-app-" + std::to_string(::getpid()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        model = std::make_unique<MainModel>(hub, clock);
        model->packageFolder = folder_.string() + "/";
        model->userName = "tech";
        model->converters = {"sim"};
        model->converterIndex = 0;
        Serve(InstallationConfig::Default());
    }

    void TearDown() override
    {
        model.reset();
        std::filesystem::remove_all(folder_);
    }

    // Serves this installation as converter "sim" from now on.
    void Serve(const InstallationConfig& config)
    {
        installation = std::make_shared<SimInstallation>(config, 7);
        installation->SetLogLimits(1'000'000, 1'000'000);
        originMs = clock.NowMs();
        ASSERT_TRUE(hub.Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(clock, installation)));
    }

    void AddPackage(const std::string& fileName, const std::string& manifest)
    {
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(BuildPackageFromManifest(manifest, folder_, false, bytes, error)) << error;
        std::ofstream out(folder_ / fileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
        out.close();
        model->packages = LoadPackageFolder(folder_);
    }

    bool Scan()
    {
        EXPECT_EQ(StartScan(*model, host), MainModel::StartResult::Started);
        model->WaitForOperation();
        return model->lastOperationSucceeded;
    }

    bool Update()
    {
        EXPECT_EQ(StartUpdate(*model, host), MainModel::StartResult::Started);
        model->WaitForOperation();
        return model->lastOperationSucceeded;
    }

    // Installation time now, in milliseconds (what fault windows are given in).
    [[nodiscard]] std::uint64_t InstallationMs() { return clock.NowMs() - originMs; }

    // Requests the stations understood with this command, in order, as (station, request).
    [[nodiscard]] std::vector<SimRequestRecord> RequestsWith(std::uint8_t command) const
    {
        std::vector<SimRequestRecord> found;
        for (const SimRequestRecord& record : installation->Requests()) {
            if (record.message.Command() == command && !record.message.IsHeaderOnly()) {
                found.push_back(record);
            }
        }
        return found;
    }

    [[nodiscard]] std::string ReadFile(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static constexpr std::uint32_t kUnitAddress = 0x21000001;
    static constexpr std::uint32_t kScanner5Address = 0x70123456;
    static constexpr std::uint32_t kScanner6Address = 0x50234567;
    static constexpr std::uint32_t kKeypadAddress = 0x80345678;

    VirtualClock clock;
    ConverterHub hub;
    std::unique_ptr<MainModel> model;
    RecordingHost host;
    std::shared_ptr<SimInstallation> installation;
    std::uint64_t originMs = 0;

private:
    std::filesystem::path folder_;
};

}  // namespace quorfw::test
