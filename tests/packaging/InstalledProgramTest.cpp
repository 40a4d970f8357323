// The installed copy: the build is installed into a scratch prefix with cmake --install and
// the program runs from there, where it has no language files beside it and must find them
// in share/quorfwupdate. The installed program is a process of its own, so its simulated
// installation runs in real time: the scan takes a few seconds.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/StartupFiles.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "common/ProgramVersion.h"

namespace quorfw {
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

ProcessResult RunProgram(std::vector<std::string> words, std::vector<std::string> environment,
                  const std::filesystem::path& scratch)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const auto outFile = scratch / "out.txt";
    const auto errFile = scratch / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ProcessResult result;
    pid_t child = 0;
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

class InstalledProgramTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        root_ = std::filesystem::temp_directory_path() / ("quorfw-install-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "home");
        std::filesystem::create_directories(root_ / "packages");
        const ProcessResult install = RunProgram({QUORFW_CMAKE_COMMAND, "--install", binary, "--prefix", Prefix().string()},
                                                 {"PATH=/usr/bin:/bin"}, root_);
        ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(root_); }

    static std::filesystem::path Prefix() { return root_ / "prefix"; }

    // The installed program with an isolated home and an English locale.
    static ProcessResult RunInstalled(std::vector<std::string> arguments)
    {
        std::vector<std::string> words = {(Prefix() / "bin/quorfwupdate").string()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        const std::string home = (root_ / "home").string();
        return RunProgram(words,
                          {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config", "XDG_DATA_HOME=" + home + "/.local",
                           "LANG=en_US.UTF-8", "PATH=/usr/bin:/bin"},
                          root_);
    }

    static inline std::filesystem::path root_;
};

TEST_F(InstalledProgramTest, RunsFromTheInstalledPlaces)
{
    const std::filesystem::path bin = Prefix() / "bin";
    for (const char* program : {"quorfwupdate", "quorfw-sim", "qup-pack"})
        EXPECT_TRUE(std::filesystem::is_regular_file(bin / program)) << program;
    EXPECT_FALSE(std::filesystem::exists(bin / "lang")) << "nothing to find beside the installed program";
    EXPECT_EQ(LanguageFolder(bin), Prefix() / "share/quorfwupdate/lang");
    EXPECT_EQ(HelpFilePath(bin, SelectUiLanguage("de_DE.UTF-8")), Prefix() / "share/quorfwupdate/quorFWupdateDE.html");
    EXPECT_TRUE(std::filesystem::is_regular_file(HelpFilePath(bin, SelectUiLanguage("de_DE.UTF-8"))));

    const ProcessResult version = RunInstalled({"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, std::string("quorfwupdate ") + kProgramVersion + "\n");

    const ProcessResult converters = RunInstalled({"converters", "--simulate", "--json"});
    ASSERT_EQ(converters.exitCode, 0) << converters.out << converters.err;
    EXPECT_EQ(nlohmann::json::parse(converters.out).at("converters"), nlohmann::json::array({"sim"})) << converters.out;
}

TEST_F(InstalledProgramTest, ScansTheSimulatedInstallationAndLogsInEnglish)
{
    // A package for the built-in installation, built by the installed package builder.
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string folder = (root_ / "packages").string();
    const ProcessResult pack = RunProgram({(Prefix() / "bin/qup-pack").string(),
                                           (std::filesystem::path(source) / "data/quick/demo-installation.qupm").string(),
                                           folder + "/demo.qup"},
                                          {"PATH=/usr/bin:/bin"}, root_);
    ASSERT_EQ(pack.exitCode, 0) << pack.err;

    const ProcessResult scan = RunInstalled({"scan", "--simulate", "--folder", folder, "--json"});
    ASSERT_EQ(scan.exitCode, 0) << scan.out << scan.err;
    const nlohmann::json result = nlohmann::json::parse(scan.out);
    EXPECT_TRUE(result.at("ok").get<bool>());
    EXPECT_EQ(result.at("modules").size(), 3u) << scan.out;

    // The update log holds the scan's first entry in the English text, which the installed
    // program could only have read from its installed language file.
    (void)SetUpUiStrings(std::filesystem::path(source) / "lang", "en_US.UTF-8");
    const std::string english = LoadUiString(kTextScanStart);
    ASSERT_FALSE(english.empty());
    const std::string log = ReadAll(root_ / "packages/UpdateLog.txt");
    EXPECT_NE(log.find("-" + english), std::string::npos) << log;
}

}  // namespace
}  // namespace quorfw
