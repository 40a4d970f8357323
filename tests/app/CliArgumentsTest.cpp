#include <gtest/gtest.h>

#include "cli/CliArguments.h"

namespace quorfw {
namespace {

constexpr unsigned kScanOptions = kCliOptionJson | kCliOptionSimulate | kCliOptionFolder | kCliOptionConverter;
constexpr unsigned kUpdateOptions = kScanOptions | kCliOptionPackage;

TEST(CliArguments, ReadsEveryOptionForm)
{
    const auto parsed = ParseCliArguments(
        {"--json", "--simulate=inst.json", "--folder", "/pkgs", "--converter=tty:/dev/pts/3", "--package", "2"},
        kUpdateOptions);
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    const CliArguments& a = *parsed.arguments;
    EXPECT_TRUE(a.json);
    EXPECT_TRUE(a.simulate);
    EXPECT_EQ(a.simulationFile, "inst.json");
    EXPECT_EQ(a.folder, "/pkgs");
    EXPECT_EQ(a.converter, "tty:/dev/pts/3");
    EXPECT_EQ(a.packageIndex, 2);
}

TEST(CliArguments, SimulateWithoutFileLeavesNextWordAlone)
{
    const auto parsed = ParseCliArguments({"--simulate", "--folder=/x"}, kScanOptions);
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    EXPECT_TRUE(parsed.arguments->simulate);
    EXPECT_TRUE(parsed.arguments->simulationFile.empty());
    EXPECT_EQ(parsed.arguments->folder, "/x");
    EXPECT_FALSE(parsed.arguments->json);
    EXPECT_FALSE(parsed.arguments->packageIndex);
}

TEST(CliArguments, RefusesBadCommandLines)
{
    const struct {
        std::vector<std::string> words;
        unsigned allowed;
        const char* errorPart;
    } cases[] = {
        {{"--package", "1"}, kScanOptions, "unknown option: --package"},
        {{"--verbose"}, kUpdateOptions, "unknown option"},
        {{"scan"}, kUpdateOptions, "unknown option: scan"},
        {{"--folder"}, kScanOptions, "needs a value"},
        {{"--folder="}, kScanOptions, "needs a folder"},
        {{"--converter", ""}, kScanOptions, "needs a converter"},
        {{"--simulate="}, kScanOptions, "needs a file"},
        {{"--json=yes"}, kScanOptions, "takes no value"},
        {{"--json", "--json"}, kScanOptions, "twice"},
        {{"--package", "-1"}, kUpdateOptions, "selector index"},
        {{"--package", "1x"}, kUpdateOptions, "selector index"},
        {{"--package", "99999999999"}, kUpdateOptions, "selector index"},
        {{"--package="}, kUpdateOptions, "selector index"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseCliArguments(c.words, c.allowed);
        EXPECT_FALSE(parsed.arguments) << c.errorPart;
        EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
    }
}

}  // namespace
}  // namespace quorfw
