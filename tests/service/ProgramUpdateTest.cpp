#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/LittleEndian.h"
#include "service/CProgrammUpdate.h"
#include "service/ProgramUpdateFile.h"
#include "tests/app/ScratchFolder.h"

namespace quorfw::test {
namespace {

// One entry with the raw name bytes given (UTF-16LE) and a declared data length.
std::string RawEntry(const std::string& nameBytes, const std::string& data, std::uint32_t dataLength)
{
    std::string out;
    std::uint8_t word[4];
    WriteLe32(word, static_cast<std::uint32_t>(nameBytes.size()));
    out.append(reinterpret_cast<char*>(word), 4).append(nameBytes);
    WriteLe32(word, dataLength);
    out.append(reinterpret_cast<char*>(word), 4).append(data);
    return out;
}

std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (const char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

class ProgramUpdateTest : public testing::Test {
protected:
    bool Install(const std::string& fileBytes)
    {
        downloads_.Write("update.upd", fileBytes);
        CProgrammUpdate installer(program_.Path());
        return installer.Install(downloads_ / "update.upd");
    }

    // The program folder's file names, sorted.
    std::vector<std::string> ProgramFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(program_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder program_;
    ScratchFolder downloads_;
};

TEST_F(ProgramUpdateTest, ReplacesTheProgramKeepsOldCopiesAndAddsNewFiles)
{
    program_.Write("quorfwupdate", "version 1");
    std::filesystem::permissions(program_ / "quorfwupdate", std::filesystem::perms::owner_all);
    ASSERT_TRUE(Install(EncodeProgramUpdate({{"quorfwupdate", "version 2"}, {"quorfwupdateresde.lang", "de"}})));
    EXPECT_EQ(program_.Read("quorfwupdate"), "version 2");
    EXPECT_EQ(program_.Read("quorfwupdate.old"), "version 1");
    EXPECT_EQ(program_.Read("quorfwupdateresde.lang"), "de");
    EXPECT_NE(std::filesystem::status(program_ / "quorfwupdate").permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);

    // Twice: one ".old" per target, now holding the version replaced last.
    ASSERT_TRUE(Install(EncodeProgramUpdate({{"quorfwupdate", "version 3"}, {"quorfwupdateresde.lang", "de 3"}})));
    EXPECT_EQ(program_.Read("quorfwupdate.old"), "version 2");
    EXPECT_EQ(program_.Read("quorfwupdateresde.lang.old"), "de");
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"quorfwupdate", "quorfwupdate.old", "quorfwupdateresde.lang",
                                                        "quorfwupdateresde.lang.old"}));
}

TEST_F(ProgramUpdateTest, DamagedEntriesStopTheInstallationAfterTheEntriesBefore)
{
    const std::string first = RawEntry(Utf16("a.txt"), "A", 1);
    auto file = [](std::uint32_t count, const std::string& entries) {
        std::string out(1, '\x80');
        std::uint8_t word[4];
        WriteLe32(word, count);
        return out.append(reinterpret_cast<char*>(word), 4) + entries;
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> files;
    };
    const std::vector<std::string> firstOnly{"a.txt"};
    const Case cases[] = {
        {"name length 51", file(2, first + RawEntry(std::string(51, 'n'), "B", 1)), firstOnly},
        {"data length 0", file(2, first + RawEntry(Utf16("b.txt"), "", 0)), firstOnly},
        {"data shorter than its length", file(2, first + RawEntry(Utf16("b.txt"), "BB", 3)), firstOnly},
        {"fewer entries than counted", file(3, first + RawEntry(Utf16("b.txt"), "B", 1)), {"a.txt", "b.txt"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(program_.Path());
        std::filesystem::create_directories(program_.Path());
        EXPECT_FALSE(Install(c.bytes)) << c.what;
        EXPECT_EQ(program_.Read("a.txt"), "A") << c.what;
        EXPECT_EQ(ProgramFiles(), c.files) << c.what;
    }
}

TEST_F(ProgramUpdateTest, AFileWithoutTheMarkerChangesNothing)
{
    program_.Write("quorfwupdate", "version 1");
    std::string bytes = EncodeProgramUpdate({{"quorfwupdate", "version 2"}});
    bytes[0] = '\x81';
    EXPECT_FALSE(Install(bytes));
    EXPECT_EQ(ProgramFiles(), std::vector<std::string>{"quorfwupdate"});
    EXPECT_TRUE(std::filesystem::exists(downloads_ / "update.upd"));
}

TEST_F(ProgramUpdateTest, NamesThatCouldLeaveTheProgramFolderAreRefused)
{
    const std::filesystem::path besideProgram = program_.Path().parent_path() / "escaped";
    const std::string hostile[] = {"../escaped", "sub/x", "sub\\x", "..", ".", "C:evil", "c:\\evil", "/escaped-quorfw"};
    for (const std::string& name : hostile) {
        EXPECT_FALSE(Install(EncodeProgramUpdate({{"fine.txt", "ok"}, {name, "bad"}}))) << name;
    }
    // A name that hides more after a NUL is refused too, not cut short.
    EXPECT_FALSE(Install(std::string("\x80\x01\x00\x00\x00", 5) + RawEntry(Utf16("ok") + std::string(2, '\0') + Utf16("/x"), "bad", 3)));
    EXPECT_FALSE(std::filesystem::exists(besideProgram));
    EXPECT_FALSE(std::filesystem::exists("/escaped-quorfw"));
    EXPECT_EQ(ProgramFiles(), (std::vector<std::string>{"fine.txt", "fine.txt.old"}));
    EXPECT_EQ(program_.Read("fine.txt"), "ok");
    // Nor does an entry replace a folder of the program.
    std::filesystem::create_directories(program_ / "lang");
    program_.Write("lang/en.lang", "texts");
    EXPECT_FALSE(Install(EncodeProgramUpdate({{"lang", "a file"}})));
    EXPECT_EQ(program_.Read("lang/en.lang"), "texts");
    std::filesystem::remove_all(program_ / "lang");
    // Trailing NULs, as a writer padding the name may leave, are fine.
    EXPECT_TRUE(Install(std::string("\x80\x01\x00\x00\x00", 5) + RawEntry(Utf16("pad.txt") + std::string(4, '\0'), "p", 1)));
    EXPECT_EQ(program_.Read("pad.txt"), "p");
}

TEST_F(ProgramUpdateTest, AFolderTheUserCannotWriteFailsBeforeAnythingIsTouched)
{
    program_.Write("quorfwupdate", "version 1");
    std::filesystem::permissions(program_.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(program_.Path().c_str(), W_OK) == 0) {
        std::filesystem::permissions(program_.Path(), std::filesystem::perms::owner_all);
        GTEST_SKIP() << "this user may write any folder";
    }
    EXPECT_FALSE(Install(EncodeProgramUpdate({{"quorfwupdate", "version 2"}})));
    std::filesystem::permissions(program_.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ProgramFiles(), std::vector<std::string>{"quorfwupdate"});
    EXPECT_EQ(program_.Read("quorfwupdate"), "version 1");
}

TEST(ReadProgramUpdate, ReadsNamesAsUtf16)
{
    const ProgramUpdateContents contents = ReadProgramUpdate(EncodeProgramUpdate({{"k\xC3\xA4se.txt", "x"}}));
    ASSERT_TRUE(contents.complete);
    ASSERT_EQ(contents.entries.size(), 1u);
    EXPECT_EQ(contents.entries[0].name, "k\xC3\xA4se.txt");
    EXPECT_TRUE(contents.entries[0].nameReadable);
}

}  // namespace
}  // namespace quorfw::test
