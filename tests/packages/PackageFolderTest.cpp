#include "packages/PackageFolder.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/packages/PackageTestSupport.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

std::vector<std::uint8_t> PackageNamed(const std::string& name, std::uint8_t format)
{
    PackageRecordContent content = test::SampleContent(format);
    content.name = name;
    return EncryptContainer(test::RecordOf(content), 0xABCDEF00, ContainerHeader::Long);
}

std::vector<std::string> NamesOf(const std::vector<UpdateFile>& packages)
{
    std::vector<std::string> names;
    for (const UpdateFile& p : packages) {
        names.push_back(p.GetName());
    }
    return names;
}

TEST(LoadPackageFolder, LoadsPackageFilesOnlyInTheOrderListed)
{
    test::TempFolder folder;
    test::WriteFile(folder / "a.qup", PackageNamed("a", 7));
    test::WriteFile(folder / "b.QUP", PackageNamed("b", 1));
    test::WriteFile(folder / "copy-of-a.qup", PackageNamed("a", 7));   // duplicates stay
    test::WriteFile(folder / "c.qup.bak", PackageNamed("c", 7));       // wrong extension
    test::WriteFile(folder / "d.txt", PackageNamed("d", 7));
    test::WriteFile(folder / "broken.qup", {1, 2, 3, 4, 5, 6, 7, 8});  // not a package
    test::WriteFile(folder / "empty.qup", {});
    std::filesystem::create_directory(folder / "dir.qup");
    test::WriteFile(folder / "dir.qup" / "inner.qup", PackageNamed("inner", 7));
    std::filesystem::create_symlink(folder / "a.qup", folder / "link.qup");

    const std::vector<UpdateFile> packages = LoadPackageFolder(folder.Path());

    // The expected order is the folder's own listing order.
    std::vector<std::string> expected;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::string file = entry.path().filename().string();
        if (file == "a.qup" || file == "copy-of-a.qup" || file == "link.qup") {
            expected.push_back("a");
        } else if (file == "b.QUP") {
            expected.push_back("b");
        }
    }
    EXPECT_EQ(NamesOf(packages), expected);
    for (const UpdateFile& p : packages) {
        EXPECT_EQ(std::filesystem::path(p.GetPath()).parent_path(), folder.Path());
    }
}

TEST(LoadPackageFolder, LoadsForDisplayOnly)
{
    test::TempFolder folder;
    test::WriteFile(folder / "old.qup", PackageNamed("old", 1));
    test::WriteFile(folder / "new.qup", PackageNamed("new", 2));
    const std::vector<UpdateFile> packages = LoadPackageFolder(folder.Path());
    ASSERT_EQ(packages.size(), 2u);
    for (const UpdateFile& p : packages) {
        // Format 1 leaves its images for the full reload; later formats are loaded whole.
        EXPECT_EQ(p.GetImage(6)->empty(), p.GetName() == "old") << p.GetName();
        EXPECT_EQ(p.GetVersion(6), "1.0.0.0");
        EXPECT_EQ(p.GetInfoText(), "info");
    }
}

TEST(LoadPackageFolder, MissingFolderGivesAnEmptyList)
{
    test::TempFolder folder;
    EXPECT_TRUE(LoadPackageFolder(folder / "nowhere").empty());
    EXPECT_TRUE(LoadPackageFolder(folder.Path()).empty());
}

}  // namespace
}  // namespace quorfw
