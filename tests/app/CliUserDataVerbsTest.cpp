#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/MemorySettingsStore.h"
#include "app/UiStrings.h"
#include "bus/BusCommandCodes.h"
#include "bus/ConverterHub.h"
#include "cli/CliVerbs.h"
#include "common/Clock.h"
#include "sim/FrameRecorder.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"

namespace quorfw::test {
namespace {


// The backup, export and restore verbs in process, on a virtual clock, against a simulated
// installation offered as the machine's converter "sim", so that what reached the stations
// can be looked at. Each verb's hub gets the one converter lent (through a recorder), so the
// installation keeps one time line from verb to verb.
class CliUserDataVerbsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    }

    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("quorfw-cli-userdata-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "packages");
        NewInstallation();
    }

    void TearDown() override { std::filesystem::remove_all(root_); }

    // A fresh installation (the built-in one) behind converter "sim".
    void NewInstallation()
    {
        installation = std::make_shared<SimInstallation>(InstallationConfig::Default(), 1);
        converter = std::make_unique<SimConverter>(clock, installation);
    }

    int Run(std::vector<std::string> words, bool inputTerminal = false, const std::string& answer = {})
    {
        out_.str({});
        err_.str({});
        std::istringstream in(answer);
        words.insert(words.end(), {"--converter", "sim", "--folder", (root_ / "packages").string()});
        CliContext context{
            out_,
            err_,
            settings,
            [](const char*) -> std::optional<std::string> { return std::nullopt; },
            clock,
            root_ / "quorFWupdate.ini",
            [this](Clock& hubClock) {
                auto hub = std::make_unique<ConverterHub>();
                (void)hubClock;
                (void)hub->Register(ConverterHub::Kind::Simulated, std::make_unique<FrameRecorder>(*converter));
                return hub;
            },
            false,
            &in,
            inputTerminal,
        };
        return RunCliVerb(words, context);
    }

    [[nodiscard]] std::string Path(const std::string& name) const { return (root_ / name).string(); }
    [[nodiscard]] std::string Out() const { return out_.str(); }
    [[nodiscard]] std::string Err() const { return err_.str(); }

    [[nodiscard]] static std::string Contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The NDJSON lines of stdout; the last one is the result.
    [[nodiscard]] std::vector<nlohmann::json> Events() const
    {
        std::vector<nlohmann::json> events;
        std::istringstream lines(out_.str());
        std::string line;
        while (std::getline(lines, line)) {
            events.push_back(nlohmann::json::parse(line));
        }
        return events;
    }

    [[nodiscard]] std::size_t WritesToTheUnit() const
    {
        std::size_t writes = 0;
        for (const SimRequestRecord& r : installation->Requests()) {
            writes += !r.message.IsHeaderOnly() && (r.message.Command() == kCmdDataBlockWrite ||
                                                    r.message.Command() == kCmdTemplateWrite);
        }
        return writes;
    }

    VirtualClock clock;
    MemorySettingsStore settings;
    std::shared_ptr<SimInstallation> installation;
    std::unique_ptr<SimConverter> converter;

private:
    std::filesystem::path root_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CliUserDataVerbsTest, BackupRestoreBackupGivesTheSameFile)
{
    ASSERT_EQ(Run({"backup", Path("a.bin"), "--json"}), kExitOk) << Err();
    auto events = Events();
    ASSERT_FALSE(events.empty());
    const nlohmann::json backup = events.back();
    EXPECT_EQ(backup["event"], "result");
    EXPECT_EQ(backup["ok"], true);
    EXPECT_EQ(backup["file"], Path("a.bin"));
    EXPECT_EQ(backup["format"], 2);
    EXPECT_EQ(backup["users"], 3);
    EXPECT_EQ(backup["templates"], 5);
    bool sawProgress = false;
    for (const nlohmann::json& e : events) {
        sawProgress = sawProgress || e["event"] == "progress";
    }
    EXPECT_TRUE(sawProgress);

    NewInstallation();
    ASSERT_EQ(Run({"restore", Path("a.bin"), "--yes", "--json"}), kExitOk) << Err();
    const nlohmann::json restore = Events().back();
    EXPECT_EQ(restore["users"], 3);
    EXPECT_EQ(restore["templates0to9"], 4);
    EXPECT_EQ(restore["templates10to14"], 0);
    EXPECT_EQ(restore["templates15to19"], 1);
    EXPECT_GT(WritesToTheUnit(), 0u);

    ASSERT_EQ(Run({"backup", Path("b.bin")}), kExitOk) << Err();

    EXPECT_NE(Out().find("Backup: " + Path("b.bin") + " (format 2, 3 users, 5 templates)"), std::string::npos) << Out();
    EXPECT_EQ(Contents(Path("b.bin")), Contents(Path("a.bin")));
}

TEST_F(CliUserDataVerbsTest, RestoreAsksAtATerminalAndRefusesWithoutOne)
{
    ASSERT_EQ(Run({"backup", Path("a.bin")}), kExitOk) << Err();
    NewInstallation();
    const std::string warning = LoadUiString(3782);
    ASSERT_FALSE(warning.empty());

    EXPECT_EQ(Run({"restore", Path("a.bin")}), kExitUsage);
    EXPECT_NE(Err().find(warning), std::string::npos) << Err();
    EXPECT_NE(Err().find("--yes"), std::string::npos) << Err();
    EXPECT_TRUE(Out().empty());
    EXPECT_TRUE(installation->Requests().empty());

    EXPECT_EQ(Run({"restore", Path("a.bin")}, true, "n\n"), kExitUsage);
    EXPECT_NE(Err().find(warning), std::string::npos) << Err();
    EXPECT_TRUE(installation->Requests().empty());

    EXPECT_EQ(Run({"restore", Path("a.bin")}, true, "y\n"), kExitOk) << Err();
    EXPECT_NE(Out().find("Restore: " + Path("a.bin") + " (3 users;"), std::string::npos) << Out();
    EXPECT_GT(WritesToTheUnit(), 0u);
}

TEST_F(CliUserDataVerbsTest, RestoreOfAFileThatCannotBeOpenedFails)
{
    EXPECT_EQ(Run({"restore", Path("none.bin"), "--yes"}), kExitFailed);
    EXPECT_NE(Err().find("Internal Error: Error opening file '" + Path("none.bin") + "' (rb)"), std::string::npos)
        << Err();
    EXPECT_EQ(WritesToTheUnit(), 0u);
}

TEST_F(CliUserDataVerbsTest, ExportWritesTheCsvAndSaysWhenTheLogIsEmpty)
{
    ASSERT_EQ(Run({"export", Path("log.csv"), "--json"}), kExitOk) << Err();
    const nlohmann::json result = Events().back();
    EXPECT_EQ(result["file"], Path("log.csv"));
    EXPECT_EQ(result["records"], 5);
    EXPECT_EQ(Contents(Path("log.csv")).substr(0, 4), "No.;");

    installation->Commands().Store().log.clear();
    EXPECT_EQ(Run({"export", Path("empty.csv")}), kExitFailed);
    EXPECT_NE(Out().find("the access log is empty or could not be read; no file was written"), std::string::npos)
        << Out();
    EXPECT_FALSE(std::filesystem::exists(Path("empty.csv")));
}

TEST_F(CliUserDataVerbsTest, FileIsRequiredAndSingle)
{
    EXPECT_EQ(Run({"backup"}), kExitUsage);
    EXPECT_NE(Err().find("a file is needed"), std::string::npos) << Err();
    EXPECT_EQ(Run({"export", Path("a.csv"), Path("b.csv")}), kExitUsage);
    EXPECT_NE(Err().find("more than one file"), std::string::npos) << Err();
    EXPECT_EQ(Run({"backup", Path("a.bin"), "--yes"}), kExitUsage);
}

}  // namespace
}  // namespace quorfw::test
