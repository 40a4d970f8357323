#include "app/StartupFiles.h"

#include <gtest/gtest.h>

#include "app/ProgramDataFolder.h"
#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

TEST(StartupFiles, OldNamedFilesAreCopiedOverTheNewOnes)
{
    test::ScratchFolder folder;
    folder.Write("oldFWupdateDE.html", "new German help");
    folder.Write("quorFWupdateDE.html", "stale German help");
    folder.Write("oldFWupdateEN.html", "new English help");
    CopyRenamedFiles(folder.Path());
    EXPECT_EQ(folder.Read("quorFWupdateDE.html"), "new German help");
    EXPECT_EQ(folder.Read("quorFWupdateEN.html"), "new English help");
    EXPECT_EQ(folder.Read("oldFWupdateDE.html"), "new German help") << "copied, not moved";
}

TEST(StartupFiles, EachFailureIsIgnoredOnItsOwn)
{
    test::ScratchFolder folder;
    std::filesystem::create_directory(folder / "quorFWupdateDE.html");  // a target that cannot be written
    folder.Write("oldFWupdateDE.html", "German help");
    folder.Write("oldFWupdateEN.html", "English help");
    CopyRenamedFiles(folder.Path());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "quorFWupdateDE.html"));
    EXPECT_EQ(folder.Read("quorFWupdateEN.html"), "English help");

    test::ScratchFolder empty;
    CopyRenamedFiles(empty.Path());
    EXPECT_TRUE(std::filesystem::is_empty(empty.Path())) << "no source, no target";
}

TEST(StartupFiles, HelpAndLanguageFilesLiveBesideTheProgram)
{
    EXPECT_EQ(HelpFilePath("/opt/quorfw/bin", SelectUiLanguage("de_CH.UTF-8")), "/opt/quorfw/bin/quorFWupdateDE.html");
    EXPECT_EQ(HelpFilePath("/opt/quorfw/bin", SelectUiLanguage("fr_FR.UTF-8")), "/opt/quorfw/bin/quorFWupdateEN.html");
    EXPECT_EQ(LanguageFolder("/opt/quorfw/bin"), "/opt/quorfw/bin/lang");
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "test_app_startup"));
}

// A build tree keeps the files beside the program; an installed copy has them in
// share/quorfwupdate beside bin/. The program's own folder wins when both hold a file.
TEST(StartupFiles, FilesBesideTheProgramComeFirstThenTheInstalledDataFolder)
{
    test::ScratchFolder root;
    const std::filesystem::path bin = root / "bin";
    const std::filesystem::path data = root / "share/quorfwupdate";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(data / "lang");
    root.Write("share/quorfwupdate/quorFWupdateDE.html", "installed German help");
    root.Write("share/quorfwupdate/quorFWupdateEN.html", "installed English help");
    root.Write("bin/quorFWupdateEN.html", "English help beside the program");

    EXPECT_EQ(LanguageFolder(bin), data / "lang");
    EXPECT_EQ(HelpFilePath(bin, SelectUiLanguage("de_DE.UTF-8")), data / "quorFWupdateDE.html");
    EXPECT_EQ(HelpFilePath(bin, SelectUiLanguage("en_GB.UTF-8")), bin / "quorFWupdateEN.html");
    EXPECT_EQ(HelpFilePath(bin, SelectUiLanguage("it_IT.UTF-8")), bin / "quorFWupdateIT.html") << "found nowhere";

    std::filesystem::create_directories(bin / "lang");
    EXPECT_EQ(LanguageFolder(bin), bin / "lang");

    EXPECT_EQ(ProgramDataFolders(""), std::vector<std::filesystem::path>{""}) << "no folder: nothing guessed";
}

}  // namespace
}  // namespace quorfw
