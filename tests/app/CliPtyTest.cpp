// The built programs end to end: quorfw-sim serves the default installation on a
// pseudo-terminal, quorfwupdate reaches it through the tty transport. This needs real time:
// the simulator behind a pty runs on the system clock, like hardware does.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/StrictJson.h"
#include "tests/app/SimulatedInstallationFixture.h"

extern char** environ;

namespace quorfw::test {
namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<char*> Pointers(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

class CliPtyTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        binary_ = binary;
        root_ = std::filesystem::temp_directory_path() / ("quorfw-pty-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "packages");
        std::filesystem::create_directories(root_ / "home");
        // An isolated home: the program's settings and log files stay in here.
        const std::string home = (root_ / "home").string();
        environment_ = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config", "XDG_DATA_HOME=" + home + "/.local",
                        "LANG=en_US.UTF-8", "PATH=/usr/bin:/bin"};
        StartSimulator();
    }

    void TearDown() override
    {
        if (simulator_ > 0) {
            ::kill(simulator_, SIGTERM);
            int status = 0;
            ::waitpid(simulator_, &status, 0);
        }
        if (simulatorOut_ != nullptr) {
            std::fclose(simulatorOut_);
        }
        std::filesystem::remove_all(root_);
    }

    void StartSimulator()
    {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::vector<std::string> words = {(binary_ / "sim/tools/quorfw-sim").string(), "--pty"};
        auto argv = Pointers(words);
        ASSERT_EQ(posix_spawn(&simulator_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        simulatorOut_ = ::fdopen(pipeEnds[0], "r");
        ASSERT_NE(simulatorOut_, nullptr);
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, simulatorOut_), nullptr);
        ptyPath_ = line;
        while (!ptyPath_.empty() && (ptyPath_.back() == '\n' || ptyPath_.back() == '\r')) {
            ptyPath_.pop_back();
        }
        ASSERT_EQ(ptyPath_.rfind("/dev/", 0), 0u) << ptyPath_;
    }

    ProcessResult RunTool(std::vector<std::string> arguments)
    {
        std::vector<std::string> words = {(binary_ / "src/app/quorfwupdate").string()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        auto argv = Pointers(words);
        auto envp = Pointers(environment_);
        const auto outFile = root_ / "out.txt";
        const auto errFile = root_ / "err.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t child = 0;
        ProcessResult result;
        const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
            return result;
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = ReadAll(outFile);
        result.err = ReadAll(errFile);
        return result;
    }

    void AddPackage(const std::string& fileName, const std::string& manifest)
    {
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(BuildPackageFromManifest(manifest, root_, false, bytes, error)) << error;
        std::ofstream file(root_ / "packages" / fileName, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path binary_;
    std::filesystem::path root_;
    std::vector<std::string> environment_;
    pid_t simulator_ = 0;
    FILE* simulatorOut_ = nullptr;
    std::string ptyPath_;
};

TEST_F(CliPtyTest, ScanThenUpdateThroughAPseudoTerminal)
{
    AddPackage("p.qup", InstallationManifest(PackageVersions{"2.5.3.10", "6.4.10.0", "3.0.4.20", "1.2.0.5"}));
    const std::string converter = "tty:" + ptyPath_;
    const std::string folder = (root_ / "packages").string();

    const ProcessResult scan = RunTool({"scan", "--json", "--converter", converter, "--folder", folder});
    ASSERT_EQ(scan.exitCode, 0) << scan.out << scan.err;
    JsonError error;
    const auto parsed = StrictJson::Parse(scan.out, error);
    ASSERT_TRUE(parsed) << error.ToText() << "\n" << scan.out;
    const nlohmann::ordered_json& json = *parsed;
    EXPECT_EQ(json.value("ok", false), true);
    EXPECT_EQ(json.value("converter", ""), converter);
    ASSERT_EQ(json.value("modules", nlohmann::ordered_json::array()).size(), 3u);
    EXPECT_EQ(json["modules"][0].value("offered", false), true);
    ASSERT_TRUE(json.contains("unit") && json["unit"].is_object());
    EXPECT_EQ(json["unit"].value("offered", true), false);

    const ProcessResult update = RunTool({"update", "--converter", converter, "--folder", folder});
    ASSERT_EQ(update.exitCode, 0) << update.out << update.err;
    EXPECT_NE(update.out.find("Update: ok"), std::string::npos) << update.out;
    EXPECT_NE(update.out.find("20050100005678 programmed and verified"), std::string::npos) << update.out;
    EXPECT_NE(update.out.find("20060100009012 programmed and verified"), std::string::npos) << update.out;
    // The log went to the package folder given, the report as well.
    EXPECT_NE(ReadAll(root_ / "packages" / "UpdateLog-Report.txt").find("<barcode>20050100005678</barcode>"),
              std::string::npos);
    // Progress went to stderr.
    EXPECT_NE(update.err.find("%"), std::string::npos) << update.err;
}

}  // namespace
}  // namespace quorfw::test
