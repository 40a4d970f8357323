#include "userdata/BackupFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "common/LittleEndian.h"
#include "tests/app/ScratchFolder.h"
#include "userdata/AtomicFileWrite.h"
#include "userdata/BackupComparison.h"

namespace quorfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
void FillPattern(std::array<std::uint8_t, N>& block, std::uint8_t seed)
{
    for (std::size_t i = 0; i < N; ++i) {
        block[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
}

TemplateBuffer Template(unsigned slot, std::size_t dataLength, std::uint8_t seed)
{
    Bytes data(dataLength);
    for (std::size_t i = 0; i < dataLength; ++i) {
        data[i] = static_cast<std::uint8_t>(seed ^ (i * 13));
    }
    return *MakeTemplateBuffer(slot, data);
}

USERDATARECORDNEW NewRecord(std::uint8_t userNumber, std::uint32_t templateMask, std::uint16_t extraMask,
                            std::string_view name)
{
    USERDATARECORDNEW record;
    record.userNumber = userNumber;
    record.byte1 = static_cast<std::uint8_t>(0xA0 + userNumber);
    record.templateMask = templateMask;
    record.extraMask = extraMask;
    std::copy(name.begin(), name.end(), record.name.begin());
    return record;
}

USERDATAWITHFINGER NewUser(std::uint8_t userNumber, std::uint32_t templateMask, std::uint16_t extraMask,
                           std::string_view name)
{
    USERDATAWITHFINGER user;
    user.recordNew = NewRecord(userNumber, templateMask, extraMask, name);
    return user;
}

USERDATAWITHFINGER OldUser(std::uint8_t userNumber, std::uint32_t templateMask, std::string_view name)
{
    USERDATAWITHFINGER user;
    const auto bytes = NewRecord(userNumber, templateMask, 0, name).Bytes();
    user.record = *USERDATARECORD::Read(bytes);
    return user;
}

UserDataSet BlocksOnly()
{
    UserDataSet set;
    FillPattern(set.unitBlock1, 1);
    FillPattern(set.unitBlock2Short, 2);
    FillPattern(set.unitBlock2Long, 3);
    FillPattern(set.unitBlock3, 4);
    FillPattern(set.unitBlock4, 5);
    FillPattern(set.unitBlock9, 6);
    FillPattern(set.unitBlock10, 7);
    return set;
}

// Three users of a newer unit: templates in slots 0-9, 10-14 and 15-19, one without any
// template bit (not written), one whose name fills all ten bytes.
UserDataSet NewerUnitSet()
{
    UserDataSet set = BlocksOnly();
    auto first = NewUser(3, 0x09, 0x0000, "ANNA");  // slots 0 and 1
    first.templates[0] = Template(0, 500, 0x11);
    first.templates[1] = Template(1, 1300, 0x12);
    auto bare = NewUser(4, 0, 0x0400, "NOBODY");  // bit 10 of the extra mask is no slot
    auto second = NewUser(9, 0, 0x0021, "0123456789");  // slots 10 and 15
    second.templates[10] = Template(10, 1996, 0x21);
    second.templates[15] = Template(15, 40, 0x22);
    set.users = {first, bare, second};
    return set;
}

UserDataSet OlderUnitSet()
{
    UserDataSet set = BlocksOnly();
    auto first = OldUser(1, 0x1 << 27, "BEA");  // slot 9
    first.templates[9] = Template(9, 700, 0x31);
    auto second = OldUser(2, 0x3 | (0x1 << 6), "CARL");  // slots 0 and 2
    second.templates[0] = Template(0, 10, 0x32);
    second.templates[2] = Template(2, 20, 0x33);
    set.users = {first, second};
    return set;
}

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos; start = end + 2) {
        lines.emplace_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

Bytes ReadBytes(const test::ScratchFolder& folder, std::string_view name)
{
    const std::string text = folder.Read(name);
    return Bytes(text.begin(), text.end());
}

TEST(BackupFile, NewerFormatRoundTripsThroughWriterAndReader)
{
    test::ScratchFolder folder;
    const UserDataSet fromUnit = NewerUnitSet();
    ASSERT_TRUE(WriteBackupFile(folder / "b.bin", fromUnit, kBackupFormatNewer));

    const Bytes file = ReadBytes(folder, "b.bin");
    const Bytes start = {0x02, 0x01, 0x00, 0x68, 0x00};
    ASSERT_GT(file.size(), start.size());
    EXPECT_TRUE(std::equal(start.begin(), start.end(), file.begin()));
    // Format byte, six unit blocks, two users of 18 bytes, four templates; the bare user is left out.
    const std::size_t blocks = 1 + 4 * 6 + 104 + 33 + 40 + 1 + 161 + 1188;
    EXPECT_EQ(file.size(), blocks + 2 * (4 + 18) + 4 * 4 + 503 + 1303 + 1999 + 43);
    EXPECT_EQ(ReadLe16(&file[blocks]), 5);
    EXPECT_EQ(ReadLe16(&file[blocks + 2]), 18);

    UserDataSet readBack;
    const BackupReadResult result = ReadBackupFile(folder / "b.bin", true, readBack, folder.Path());
    EXPECT_EQ(result.outcome, BackupReadOutcome::Read);
    EXPECT_EQ(result.formatByte, 2);
    EXPECT_EQ(BackupDifference(fromUnit, readBack, kBackupFormatNewer), std::nullopt);
    ASSERT_EQ(readBack.users.size(), 2u);
    EXPECT_EQ(readBack.users[1].templates[15], fromUnit.users[2].templates[15]);
    EXPECT_EQ(readBack.users[1].recordNew.extraMask, 0x0021);
    // The name's last byte is always read as the terminator.
    EXPECT_EQ(readBack.users[1].recordNew.NameText(), "012345678");
    EXPECT_EQ(readBack.unitBlock10, fromUnit.unitBlock10);

    // The writer leaves the set as it was, so it can be compared with the file afterwards.
    EXPECT_EQ(fromUnit.users[0].templates[1].size(), 1303u);
}

TEST(BackupFile, OlderFormatRoundTripsForAnOlderUnit)
{
    test::ScratchFolder folder;
    const UserDataSet fromUnit = OlderUnitSet();
    ASSERT_TRUE(WriteBackupFile(folder / "old.bin", fromUnit, kBackupFormatOlder));
    const Bytes file = ReadBytes(folder, "old.bin");
    ASSERT_GT(file.size(), 200u);
    EXPECT_EQ(file[0], 1);
    EXPECT_EQ(ReadLe16(&file[1 + 4 + 104 + 2]), 17);  // block 2 in its short form
    EXPECT_EQ(ReadLe16(&file[1 + 3 * 4 + 104 + 17 + 40 + 4 + 1 + 2]), 16);  // first user record after block 4

    UserDataSet readBack;
    const BackupReadResult result = ReadBackupFile(folder / "old.bin", false, readBack, folder.Path());
    EXPECT_EQ(result.outcome, BackupReadOutcome::Read);
    EXPECT_EQ(result.formatByte, 1);
    EXPECT_EQ(BackupDifference(fromUnit, readBack, kBackupFormatOlder), std::nullopt);
    ASSERT_EQ(readBack.users.size(), 2u);
    EXPECT_EQ(readBack.users[1].templates[2], fromUnit.users[1].templates[2]);
}

TEST(BackupFile, OlderFileIntoANewerUnitGetsTheWideBlockAndEmptyExtraMasks)
{
    const UserDataSet fromUnit = OlderUnitSet();
    const Bytes file = BackupFileBytes(fromUnit, kBackupFormatOlder);

    UserDataSet readBack;
    EXPECT_EQ(ReadBackupBytes(file, true, readBack, {}).outcome, BackupReadOutcome::Read);
    std::array<std::uint8_t, kUnitBlock2LongSize> wide{};
    std::copy(fromUnit.unitBlock2Short.begin(), fromUnit.unitBlock2Short.end(), wide.begin());
    EXPECT_EQ(readBack.unitBlock2Long, wide);
    ASSERT_EQ(readBack.users.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto older = fromUnit.users[i].record.Bytes();
        const auto newer = readBack.users[i].recordNew.Bytes();
        EXPECT_TRUE(std::equal(older.begin(), older.end() - 1, newer.begin()));
        EXPECT_EQ(newer[15], 0);
        EXPECT_EQ(readBack.users[i].recordNew.extraMask, 0);
    }

    // The same file for an older unit leaves the wide form alone.
    UserDataSet older;
    older.unitBlock2Long.fill(0xEE);
    EXPECT_EQ(ReadBackupBytes(file, false, older, {}).outcome, BackupReadOutcome::Read);
    EXPECT_EQ(older.unitBlock2Long[0], 0xEE);
}

// Builds small backup files block by block.
class FileBuilder {
public:
    explicit FileBuilder(std::uint8_t format) : format_(format)
    {
        bytes_.push_back(format);
        Block(1, Bytes(104, 0x01));
        Block(2, Bytes(format == 2 ? 33 : 17, 0x02));
        Block(3, Bytes(40, 0x03));
        Block(4, Bytes(1, 0x04));
        if (format == 2) {
            Block(9, Bytes(161, 0x09));
            Block(10, Bytes(1188, 0x0A));
        }
    }
    FileBuilder& Header(std::uint16_t tag, std::uint16_t length)
    {
        bytes_.resize(bytes_.size() + 4);
        WriteLe16(&bytes_[bytes_.size() - 4], tag);
        WriteLe16(&bytes_[bytes_.size() - 2], length);
        return *this;
    }
    FileBuilder& Block(std::uint16_t tag, const Bytes& data)
    {
        Header(tag, static_cast<std::uint16_t>(data.size()));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    FileBuilder& User(std::uint8_t userNumber)
    {
        const auto record = NewRecord(userNumber, 0x3FFFFFFF, 0x03FF, "U").Bytes();
        return Block(5, Bytes(record.begin(), record.begin() + (format_ == 2 ? 18 : 16)));
    }
    // A template block whose data has total length (head included) and names slot.
    FileBuilder& Tmpl(unsigned slot, std::size_t total, std::uint8_t fill = 0x55)
    {
        Bytes data(total, fill);
        WriteLe16(data.data(), static_cast<std::uint16_t>(total));
        data[2] = static_cast<std::uint8_t>(slot);
        return Block(6, data);
    }
    FileBuilder& Raw(const Bytes& data)
    {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    FileBuilder& Cut(std::size_t count)
    {
        bytes_.resize(bytes_.size() - count);
        return *this;
    }
    Bytes Get() const { return bytes_; }

private:
    std::uint8_t format_;
    Bytes bytes_;
};

struct ReaderCase {
    const char* name;
    Bytes file;
    bool newerUnit;
    BackupReadOutcome outcome;
    // Each user kept: user number, then the slots holding a template, with the template's size.
    std::map<unsigned, std::map<unsigned, std::size_t>> users;
};

Bytes LengthHeadWrong()
{
    Bytes data(300, 0x66);
    WriteLe16(data.data(), 299);
    data[2] = 1;
    return data;
}

TEST(BackupFile, ReaderRules)
{
    using O = BackupReadOutcome;
    const std::vector<ReaderCase> cases = {
        {"cut inside the first template of a user", FileBuilder(2).User(1).Tmpl(0, 50).User(2).Tmpl(3, 60).Cut(10).Get(),
         true, O::Read, {{1, {{0, 50}}}}},
        {"cut inside a later template", FileBuilder(2).User(1).Tmpl(0, 50).User(2).Tmpl(3, 60).Tmpl(4, 70).Cut(1).Get(),
         true, O::FormatError, {{1, {{0, 50}}}}},
        {"header of a first template without its data", FileBuilder(1).User(1).Tmpl(0, 50).User(2).Header(6, 40).Get(),
         false, O::Read, {{1, {{0, 50}}}}},
        {"header of a later template without its data", FileBuilder(2).User(1).Tmpl(0, 50).Header(6, 40).Get(), true,
         O::Read, {{1, {{0, 50}}}}},
        {"tag 2 length disagrees with the format", [] {
             Bytes f = FileBuilder(1).Get();
             WriteLe16(&f[1 + 4 + 104 + 2], 33);
             return f;
         }(), false, O::FormatError, {}},
        {"block 1 with another length", [] {
             Bytes f = FileBuilder(1).Get();
             WriteLe16(&f[1 + 2], 103);
             return f;
         }(), false, O::FormatError, {}},
        {"block 10 cut short", FileBuilder(2).Cut(1).Get(), true, O::FormatError, {}},
        {"file ends after block 4", FileBuilder(1).Get(), true, O::Read, {}},
        {"file ends after block 10", FileBuilder(2).Get(), true, O::Read, {}},
        {"user without template before another user", FileBuilder(2).User(1).User(2).Tmpl(5, 9).Get(), true, O::Read,
         {{2, {{5, 9}}}}},
        {"last user without template", FileBuilder(2).User(1).Tmpl(0, 9).User(2).Get(), true, O::Read, {{1, {{0, 9}}}}},
        {"user record cut short", FileBuilder(2).User(1).Tmpl(0, 9).User(2).Cut(3).Get(), true, O::FormatError,
         {{1, {{0, 9}}}}},
        {"header cut short after a template", FileBuilder(2).User(1).Tmpl(0, 9).Raw({5, 0}).Get(), true,
         O::FormatError, {}},
        {"first user header with another tag", FileBuilder(2).Block(7, Bytes(18)).Get(), true, O::FormatError, {}},
        {"template blocks of 1999, 2000 and 2003 bytes",
         FileBuilder(2).User(1).Tmpl(0, 1999).Tmpl(1, 2000).Tmpl(2, 2003).Get(), true, O::Read, {{1, {{0, 1999}}}}},
        {"user whose templates were all skipped for size", FileBuilder(2).User(1).Tmpl(0, 2003).User(2).Tmpl(1, 9).Get(),
         true, O::Read, {{1, {}}, {2, {{1, 9}}}}},
        {"later template of a slot replaces the earlier", FileBuilder(2).User(1).Tmpl(4, 30).Tmpl(4, 40).Get(), true,
         O::Read, {{1, {{4, 40}}}}},
        {"slot byte beyond the older format's slots", FileBuilder(1).User(1).Tmpl(10, 30).Tmpl(9, 20).Get(), true,
         O::Read, {{1, {{9, 20}}}}},
        {"slot byte beyond twenty slots", FileBuilder(2).User(1).Tmpl(20, 30).Tmpl(19, 20).Get(), true, O::Read,
         {{1, {{19, 20}}}}},
        {"length head disagrees with the block", FileBuilder(2).User(1).Block(6, LengthHeadWrong()).Tmpl(0, 5).Get(),
         true, O::Read, {{1, {{0, 5}}}}},
        {"template block too short for its head", FileBuilder(2).User(1).Block(6, {2, 0}).Block(6, {}).Get(), true,
         O::Read, {{1, {}}}},
        {"another tag after a template ends reading", FileBuilder(2).User(1).Tmpl(0, 9).Block(1, Bytes(3)).User(2).Tmpl(0, 9).Get(),
         true, O::Read, {{1, {{0, 9}}}}},
        {"another tag after a bare user record", FileBuilder(2).User(1).Block(1, Bytes(3)).Get(), true, O::FormatError,
         {}},
        {"newer file for an older unit", FileBuilder(2).User(1).Tmpl(0, 9).Get(), false, O::NewerFileForOlderUnit, {}},
        {"unknown format byte", [] {
             Bytes f = FileBuilder(1).Get();
             f[0] = 3;
             return f;
         }(), true, O::FormatError, {}},
        {"empty file", {}, true, O::FormatError, {}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        UserDataSet set;
        std::vector<std::string> trace;
        const BackupReadResult result =
            ReadBackupBytes(c.file, c.newerUnit, set, [&](std::string_view line) { trace.emplace_back(line); });
        EXPECT_EQ(result.outcome, c.outcome);
        std::map<unsigned, std::map<unsigned, std::size_t>> users;
        for (const USERDATAWITHFINGER& user : set.users) {
            auto& slots = users[user.recordNew.userNumber];
            for (unsigned slot = 0; slot < kTemplateSlots; ++slot) {
                if (!user.templates[slot].empty()) {
                    slots[slot] = user.templates[slot].size();
                }
            }
        }
        EXPECT_EQ(users, c.users);
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(trace.back(), "Ende");
    }
}

TEST(BackupFile, TraceLinesGoToBackupLogWithCrLf)
{
    test::ScratchFolder folder;
    FileBuilder builder(1);
    builder.Block(5, [] {
        const auto record = NewRecord(7, 0x9, 0, "ANNA").Bytes();
        return Bytes(record.begin(), record.begin() + 16);
    }());
    builder.Tmpl(0, 8).Tmpl(12, 10).Raw({9, 0, 1, 0, 0});
    const Bytes file = builder.Get();
    folder.Write("t.bin", std::string(file.begin(), file.end()));

    UserDataSet set;
    EXPECT_EQ(ReadBackupFile(folder / "t.bin", true, set, folder.Path()).outcome, BackupReadOutcome::Read);
    const std::vector<std::string> expected = {
        " 1 Lese Satz 1 104", " 2 Lese Satz 2 17", " 3 Lese Satz 3 40", " 4 Lese Satz 4 1",
        " 5 Lese Satz 5 16",  " User  ANNA 9",     " 6 Lese Satz 6 8",  " 7 Lese Satz 6 8",
        " 8 Lese Satz 6 10",  " 7 Lese Satz 6 10", " Vorlage verworfen 10 10 12",
        " 8 Lese Satz 9 1",   "Ende",
    };
    EXPECT_EQ(Lines(folder.Read(kBackupTraceFileName)), expected);

    // A file that ends after a template reads no further header; a template header that ends
    // the file gets its header line only.
    auto traceTail = [](const Bytes& bytes) {
        UserDataSet ignored;
        std::vector<std::string> lines;
        (void)ReadBackupBytes(bytes, true, ignored, [&](std::string_view line) { lines.emplace_back(line); });
        return std::vector<std::string>(lines.end() - std::min<std::size_t>(lines.size(), 3), lines.end());
    };
    EXPECT_EQ(traceTail(FileBuilder(2).User(1).Tmpl(0, 9).Get()),
              (std::vector<std::string>{" 6 Lese Satz 6 9", " 7 Lese Satz 6 9", "Ende"}));
    EXPECT_EQ(traceTail(FileBuilder(2).User(1).Tmpl(0, 9).Header(6, 0).Get()),
              (std::vector<std::string>{" 7 Lese Satz 6 9", " 8 Lese Satz 6 0", "Ende"}));

    // A second read appends; a file that cannot be opened leaves no line.
    EXPECT_EQ(ReadBackupFile(folder / "missing.bin", true, set, folder.Path()).outcome, BackupReadOutcome::CannotOpen);
    EXPECT_EQ(ReadBackupFile(folder.Path(), true, set, folder.Path()).outcome, BackupReadOutcome::CannotOpen);
    EXPECT_EQ(ReadBackupFile(folder / "t.bin", true, set, folder.Path()).outcome, BackupReadOutcome::Read);
    EXPECT_EQ(Lines(folder.Read(kBackupTraceFileName)).size(), 2 * expected.size());
}

TEST(BackupFile, ReadBackDifferencesAreNamed)
{
    const UserDataSet fromUnit = NewerUnitSet();
    const Bytes file = BackupFileBytes(fromUnit, kBackupFormatNewer);
    auto differenceAfter = [&](auto change) {
        Bytes changed = file;
        change(changed);
        UserDataSet readBack;
        (void)ReadBackupBytes(changed, true, readBack, {});
        return BackupDifference(fromUnit, readBack, kBackupFormatNewer).value_or("");
    };
    EXPECT_EQ(differenceAfter([](Bytes& f) { f[1 + 4 + 10] ^= 1; }), "unit block 1 differs");
    EXPECT_EQ(differenceAfter([](Bytes& f) { f.back() ^= 1; }), "user 9: template slot 15 differs");
    EXPECT_EQ(differenceAfter([](Bytes& f) { f.resize(f.size() - 47); }), "user 9: template slot 15 is missing");
    const std::size_t secondUser = file.size() - (4 + 18 + 4 + 1999 + 4 + 43);
    EXPECT_EQ(differenceAfter([&](Bytes& f) { f.resize(secondUser); }), "user 9 is missing from the file");
    EXPECT_EQ(differenceAfter([&](Bytes& f) { f[secondUser + 4] = 8; }),
              "user 9: the file holds another record in its place");

    UserDataSet extra;
    (void)ReadBackupBytes(file, true, extra, {});
    extra.users.push_back(extra.users.back());
    EXPECT_EQ(BackupDifference(fromUnit, extra, kBackupFormatNewer).value_or(""),
              "the file holds more users than the unit delivered");
}

// What the format cannot carry back is no difference: a user none of whose templates could
// be read, and a template of 2000 data bytes (block 2003, skipped when read).
TEST(BackupFile, LossesTheFormatDefinesAreNoDifference)
{
    UserDataSet fromUnit = BlocksOnly();
    fromUnit.users.push_back(NewUser(1, 0, 0x0020, "NOFINGER"));  // slot 15 announced, not read
    auto big = NewUser(2, 0x1, 0, "BIG");
    big.templates[0] = Template(0, 2000, 0x44);
    fromUnit.users.push_back(big);

    UserDataSet readBack;
    EXPECT_EQ(ReadBackupBytes(BackupFileBytes(fromUnit, kBackupFormatNewer), true, readBack, {}).outcome,
              BackupReadOutcome::Read);
    ASSERT_EQ(readBack.users.size(), 1u);
    EXPECT_EQ(readBack.users[0].recordNew.userNumber, 2);
    EXPECT_TRUE(readBack.users[0].templates[0].empty());
    EXPECT_EQ(BackupDifference(fromUnit, readBack, kBackupFormatNewer), std::nullopt);
}

TEST(BackupFile, WriterRefusesWhatWouldNotReadBack)
{
    test::ScratchFolder folder;
    folder.Write("b.bin", "earlier backup");
    UserDataSet set = NewerUnitSet();
    set.users[0].templates[1][2] = 7;  // slot byte names another slot
    const FileWriteResult wrongSlot = WriteBackupFile(folder / "b.bin", set, kBackupFormatNewer);
    EXPECT_FALSE(wrongSlot);
    EXPECT_EQ(wrongSlot.failure, "user 3: the template of slot 1 is malformed");

    set = NewerUnitSet();
    set.users[0].templates[0].pop_back();  // length head one more than the buffer
    EXPECT_FALSE(WriteBackupFile(folder / "b.bin", set, kBackupFormatNewer));
    EXPECT_FALSE(WriteBackupFile(folder / "b.bin", NewerUnitSet(), 3));
    EXPECT_EQ(folder.Read("b.bin"), "earlier backup");
}

// Files beside the target other than the target itself.
std::vector<std::string> OtherFiles(const test::ScratchFolder& folder, std::string_view target)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        if (entry.path().filename() != target) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

TEST(AtomicFileWrite, AFailedWriteLeavesTheEarlierFileAndNoTemporary)
{
    test::ScratchFolder folder;
    folder.Write("b.bin", "earlier backup");

    // A disk that fills up in the middle of the file: writes past 4 KiB fail.
    struct rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileWriteResult result = WriteBackupFile(folder / "b.bin", NewerUnitSet(), kBackupFormatNewer);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result);
    EXPECT_NE(result.failure.find("cannot write"), std::string::npos) << result.failure;
    EXPECT_EQ(folder.Read("b.bin"), "earlier backup");
    EXPECT_TRUE(OtherFiles(folder, "b.bin").empty());

    // Without the limit the same write replaces the file whole.
    ASSERT_TRUE(WriteBackupFile(folder / "b.bin", NewerUnitSet(), kBackupFormatNewer));
    EXPECT_EQ(ReadBytes(folder, "b.bin"), BackupFileBytes(NewerUnitSet(), kBackupFormatNewer));
    EXPECT_TRUE(OtherFiles(folder, "b.bin").empty());
}

TEST(AtomicFileWrite, TargetsThatCannotBeWrittenAreReported)
{
    test::ScratchFolder folder;
    std::filesystem::create_directory(folder / "dir");
    const Bytes bytes = {1, 2, 3};
    const FileWriteResult overFolder = WriteFileAtomically(folder / "dir", bytes);
    EXPECT_FALSE(overFolder);
    EXPECT_NE(overFolder.failure.find("cannot replace"), std::string::npos) << overFolder.failure;
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
    EXPECT_EQ(OtherFiles(folder, "dir").size(), 0u);

    const FileWriteResult noFolder = WriteFileAtomically(folder / "missing" / "b.bin", bytes);
    EXPECT_FALSE(noFolder);
    EXPECT_NE(noFolder.failure.find("cannot create"), std::string::npos) << noFolder.failure;
}

}  // namespace
}  // namespace quorfw
