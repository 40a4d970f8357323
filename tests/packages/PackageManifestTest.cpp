#include "tools/PackageManifest.h"

#include <gtest/gtest.h>

#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "packages/UpdateFile.h"
#include "tests/packages/PackageTestSupport.h"

namespace quorfw {
namespace {

bool Build(const std::string& manifest, std::vector<std::uint8_t>& package, std::string& error,
           const std::filesystem::path& base = {})
{
    return BuildPackageFromManifest(manifest, base, false, package, error);
}

TEST(PackageManifest, BuildsAPackageTheReaderLoads)
{
    test::TempFolder folder;
    test::WriteFile(folder / "image.bin", {1, 2, 3, 4, 5});
    const std::string manifest = R"(
# comment
format = 3
key = 0x12345678
header = short
title = T
name = N
articles = 111111, 222222
trailing = 7

[type 6]
version = 3.0.4.20
data = file image.bin
header = long

[type 3]
version = 2.5.4.0
wrap = composite
data = hex 0a 0b
data2 = text xyz

[section 6]
data = text hello
)";
    std::vector<std::uint8_t> package;
    std::string error;
    ASSERT_TRUE(Build(manifest, package, error, folder.Path())) << error;
    EXPECT_EQ(ReadLe32(package.data()), kContainerMagicShort);

    std::vector<std::uint8_t> record;
    ASSERT_TRUE(DecryptPackageData(package, record));
    UpdateFile file;
    ASSERT_TRUE(file.LoadRecord(record, false));
    EXPECT_EQ(file.GetArticles(), (std::vector<std::string>{"111111", "222222"}));
    EXPECT_EQ(file.GetTitle(), "T");
    EXPECT_EQ(file.GetInfoText(), "hello");

    std::vector<std::uint8_t> image;
    EXPECT_EQ(ReadLe32(file.GetImage(6)->data()), kContainerMagicLong);
    ASSERT_TRUE(DecryptPackageData(*file.GetImage(6), image));
    EXPECT_EQ(image, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));

    const SharedBytes& unit = *file.GetImage(3);
    const std::uint32_t length1 = ReadLe32(unit.data());
    const std::uint32_t length2 = ReadLe32(unit.data() + 4);
    ASSERT_EQ(8 + length1 + length2, unit.size());
    ASSERT_TRUE(DecryptPackageData(unit.span().subspan(8, length1), image));
    EXPECT_EQ(image, (std::vector<std::uint8_t>{0x0a, 0x0b}));
    ASSERT_TRUE(DecryptPackageData(unit.span().subspan(8 + length1), image));
    EXPECT_EQ(image, (std::vector<std::uint8_t>{'x', 'y', 'z'}));
}

TEST(PackageManifest, RefusesWhatTheFormatCannotHold)
{
    const std::pair<const char*, const char*> cases[] = {
        {"format = 2\n[type 3]\nversion = 1.0.0.0\ndata = hex 01\n", "format 2 has no section 7"},
        {"format = 7\n[section 4]\nversion = 1.0.0.0\ndata = hex 01\n", "no version text"},
        {"title = ABCDEFGHIJKLMNOPQRSTUVWXYZ\n", "title"},
        {"articles = 1234567\n", "longer than 6"},
        {"[type 4]\ndata = empty\n", "[section"},
        {"[type 5]\ndata = generate module size=100 seed=1\nversion = 6.0.0.0\n", "too small"},
        {"[type 5]\ndata = generate module size=4K\n", "needs the section's version"},
        {"colour = red\n", "unknown key"},
        {"[section 6]\ndata = text a\n[section 6]\ndata = text b\n", "given twice"},
    };
    for (const auto& [manifest, reason] : cases) {
        std::vector<std::uint8_t> package;
        std::string error;
        EXPECT_FALSE(Build(manifest, package, error)) << manifest;
        EXPECT_NE(error.find(reason), std::string::npos) << manifest << " -> " << error;
    }
}

}  // namespace
}  // namespace quorfw
