#include "app/StartupFiles.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorfw
