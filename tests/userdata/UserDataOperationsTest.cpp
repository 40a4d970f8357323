#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/UiStringIds.h"
#include "bus/BusCommandCodes.h"
#include "common/LittleEndian.h"
#include "tests/app/SimulatedInstallationFixture.h"
#include "userdata/RecordFormat.h"
#include "userdata/UserDataStart.h"

namespace quorfw::test {
namespace {

constexpr std::uint32_t kOlderUnitVersion = 2017502;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 13 * i);
    }
    return bytes;
}

std::vector<std::uint8_t> UserRecord(bool newFormat, std::uint8_t number, std::uint32_t templateMask,
                                     std::uint16_t extraMask)
{
    std::vector<std::uint8_t> record(newFormat ? 18 : 16, 0);
    record[0] = number;
    record[1] = static_cast<std::uint8_t>(0xA0 + number);
    WriteLe32(&record[2], templateMask);
    const std::string name = "U" + std::to_string(number);
    std::memcpy(&record[6], name.data(), name.size());
    if (newFormat) {
        WriteLe16(&record[16], extraMask);
    }
    return record;
}

// Users 1..count, each with a slot-0 template on the first finger scanner; user 1's is
// 1300 bytes (three parts), and in the newer format user 1 also has slot 15 on the keypad
// and slot 10 on the finger scanner.
void FillUsers(SimUnitStore& store, std::size_t count)
{
    store.users.clear();
    store.templates.clear();
    store.log.clear();
    const bool newFormat = store.NewFormat();
    for (std::size_t i = 1; i <= count; ++i) {
        const auto number = static_cast<std::uint8_t>(i);
        const std::uint16_t extra = newFormat && i == 1 ? 0x21 : 0;
        store.users.push_back(UserRecord(newFormat, number, 0x1, extra));
        store.templates[{0x70123456, std::uint32_t{number} << 8}] = Pattern(i == 1 ? 1300 : 40 + i, number);
    }
    if (newFormat) {
        store.templates[{0x70123456, 0x1D1}] = Pattern(77, 0x5A);
        store.templates[{0x80345678, 0x1C1}] = Pattern(12, 0x6B);
    }
}

InstallationConfig WithUnitVersion(std::uint32_t version)
{
    InstallationConfig config = InstallationConfig::Default();
    config.unit.version = version;
    return config;
}

class UserDataOperationsTest : public SimulatedInstallationTest {
protected:
    void SetUp() override
    {
        SimulatedInstallationTest::SetUp();
        files_ = std::filesystem::temp_directory_path() /
                 ("quorfw-userdata-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(files_);
        std::filesystem::create_directories(files_);
    }

    void TearDown() override
    {
        SimulatedInstallationTest::TearDown();
        std::filesystem::remove_all(files_);
    }

    [[nodiscard]] std::string File(const std::string& name) const { return (files_ / name).string(); }

    [[nodiscard]] static std::vector<std::uint8_t> Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool Run(MainModel::StartResult started)
    {
        EXPECT_EQ(started, MainModel::StartResult::Started);
        model->WaitForOperation();
        return model->lastOperationSucceeded;
    }

    bool Backup(const std::string& path)
    {
        host = RecordingHost{};
        return Run(StartBackup(*model, host, path));
    }

    bool Restore(const std::string& path)
    {
        host = RecordingHost{};
        return Run(StartRestore(*model, host, path));
    }

    // A second installation like the first, with nothing stored, served from now on.
    void ServeEmpty(const InstallationConfig& config)
    {
        Serve(config);
        SimUnitStore& store = installation->Commands().Store();
        store.users.clear();
        store.templates.clear();
        store.log.clear();
    }

    [[nodiscard]] std::vector<SimBlockWrite> UserWrites() const
    {
        std::vector<SimBlockWrite> writes;
        for (const SimBlockWrite& write : installation->Commands().BlockWrites()) {
            if (write.selector == 1) {
                writes.push_back(write);
            }
        }
        return writes;
    }

    std::filesystem::path files_;
};

struct FormatCase {
    const char* name;
    std::uint32_t unitVersion;
    std::size_t users;
    std::uint8_t formatByte;
    std::size_t recordBytes;
    std::size_t block2Bytes;

    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class BackupRestoreRoundTrip : public UserDataOperationsTest, public testing::WithParamInterface<FormatCase> {};

// A full batch is the first one past 300 bytes; the list ends with an empty batch.
TEST_P(BackupRestoreRoundTrip, RestoreIntoAnotherUnitBacksUpToTheSameFile)
{
    const FormatCase& c = GetParam();
    const bool newFormat = c.formatByte == 2;
    Serve(WithUnitVersion(c.unitVersion));
    FillUsers(installation->Commands().Store(), c.users);

    ASSERT_TRUE(Backup(File("first.bin")));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextBackupSaved});
    const auto first = Bytes(File("first.bin"));
    ASSERT_GT(first.size(), 1u);
    EXPECT_EQ(first[0], c.formatByte);
    EXPECT_EQ(ReadLe16(&first[1 + 4 + 104 + 2]), c.block2Bytes);
    EXPECT_EQ(model->userDataOutcome.users, c.users);
    EXPECT_EQ(model->userDataOutcome.templates, c.users + (newFormat ? 2 : 0));
    EXPECT_TRUE(model->userData.users.empty());

    const auto source = installation;
    ServeEmpty(WithUnitVersion(c.unitVersion));
    ASSERT_TRUE(Restore(File("first.bin")));
    ASSERT_EQ(host.messages, std::vector<std::uint32_t>{kTextRestoreDone});
    EXPECT_EQ(model->userData.counters.users, c.users);
    EXPECT_EQ(model->userData.counters.templates0to9, c.users);
    EXPECT_EQ(model->userData.counters.templates10to14, newFormat ? 1u : 0u);
    EXPECT_EQ(model->userData.counters.templates15to19, newFormat ? 1u : 0u);

    const auto batches = UserWrites();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].operand2, c.users);
    EXPECT_EQ(batches[0].data.size(), c.users * c.recordBytes);
    EXPECT_EQ(batches[1].operand2, 0u);
    EXPECT_TRUE(batches[1].data.empty());
    EXPECT_EQ(installation->Commands().Store().users, source->Commands().Store().users);

    // User 1's 1300 bytes go out as 600, 600 and 100 to every module that takes group 0.
    std::vector<std::pair<std::uint32_t, std::size_t>> parts;
    for (const SimTemplateWrite& write : installation->Commands().TemplateWrites()) {
        if (write.templateSelector == 0x100) {
            parts.emplace_back(write.station, write.data.size());
        }
    }
    const std::vector<std::pair<std::uint32_t, std::size_t>> expected = {
        {kScanner5Address, 600}, {kScanner6Address, 600}, {kScanner5Address, 600},
        {kScanner6Address, 600}, {kScanner5Address, 100}, {kScanner6Address, 100}};
    EXPECT_EQ(parts, expected);

    ASSERT_TRUE(Backup(File("second.bin")));
    EXPECT_EQ(Bytes(File("second.bin")), first);
}

INSTANTIATE_TEST_SUITE_P(Formats, BackupRestoreRoundTrip,
                         testing::Values(FormatCase{"Older", kOlderUnitVersion, 19, 1, 16, 17},
                                         FormatCase{"Newer", NEW_FORMAT_VERSION, 17, 2, 18, 33}),
                         [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST_F(UserDataOperationsTest, ProgressStepsOfBackupAndRestoreWithFourUsers)
{
    FillUsers(installation->Commands().Store(), 4);
    ASSERT_TRUE(Backup(File("four.bin")));
    const std::vector<std::uint32_t> backupSteps = {10, 50, 50, 60, 70, 80, 90, 92, 94, 96, 98, 98, 99, 0};
    EXPECT_EQ(host.progress, backupSteps);

    ASSERT_TRUE(Restore(File("four.bin")));
    const std::vector<std::uint32_t> restoreSteps = {5,  10, 15, 20, 23, 27, 30, 30, 30, 30, 35, 40,
                                                     45, 51, 52, 53, 54, 55, 55, 66, 77, 88, 0};
    EXPECT_EQ(host.progress, restoreSteps);
}

TEST_F(UserDataOperationsTest, RestoreRestartsRecouplesAndPausesTenSecondsBeforeTheTemplates)
{
    FillUsers(installation->Commands().Store(), 2);
    ASSERT_TRUE(Backup(File("two.bin")));
    installation->ClearLogs();
    ASSERT_TRUE(Restore(File("two.bin")));

    const auto restarts = RequestsWith(kCmdRestart);
    ASSERT_EQ(restarts.size(), 3u);
    for (const SimRequestRecord& r : restarts) {
        EXPECT_EQ(r.message.Operand2(), kRestartOperand);
    }
    const auto firstTemplate = RequestsWith(kCmdTemplateWrite).front();
    EXPECT_GE(firstTemplate.timeUs - restarts.back().timeUs, 10'000'000u);
    EXPECT_EQ(RequestsWith(kCmd35).size(), 3u);
    // The coupling code goes to the two finger scanners (address bits 28-30), not the keypad.
    std::vector<std::uint32_t> coupled;
    for (const SimParameterWrite& write : installation->Commands().ParameterWrites()) {
        if (write.number == 460) {
            coupled.push_back(write.station);
        }
    }
    EXPECT_EQ(coupled, (std::vector<std::uint32_t>{kScanner5Address, kScanner6Address}));
}

TEST_F(UserDataOperationsTest, UserWithoutAnnouncedTemplateIsCleanedBeforeItIsWritten)
{
    // User 1 announces fingers 0 and 1 but the unit's module holds only finger 0.
    SimUnitStore& store = installation->Commands().Store();
    FillUsers(store, 1);
    store.users[0] = UserRecord(true, 1, 0x9, 0);
    ASSERT_TRUE(Backup(File("partial.bin")));
    ASSERT_TRUE(Restore(File("partial.bin")));
    EXPECT_EQ(model->userData.counters.templates0to9, 1u);
    const auto batches = UserWrites();
    ASSERT_FALSE(batches.empty());
    EXPECT_EQ(ReadLe32(&batches[0].data[2]), 0x1u);
}

TEST_F(UserDataOperationsTest, OlderFileIntoNewerUnitWidensBlockTwoAndRecords)
{
    ServeEmpty(WithUnitVersion(kOlderUnitVersion));
    FillUsers(installation->Commands().Store(), 3);
    ASSERT_TRUE(Backup(File("older.bin")));
    const auto olderBlock2 = installation->Commands().Store().blocks.at(4);

    ServeEmpty(InstallationConfig::Default());
    ASSERT_TRUE(Restore(File("older.bin")));
    const SimUnitStore& store = installation->Commands().Store();
    std::vector<std::uint8_t> widened = olderBlock2;
    widened.resize(33, 0);
    EXPECT_EQ(store.blocks.at(4), widened);
    ASSERT_EQ(store.users.size(), 3u);
    EXPECT_EQ(store.users[0].size(), 18u);
    EXPECT_EQ(ReadLe16(&store.users[0][16]), 0u);
    // No blocks 9 and 10 in an older file.
    for (const SimBlockWrite& write : installation->Commands().BlockWrites()) {
        EXPECT_NE(write.selector, 9u);
        EXPECT_NE(write.selector, 10u);
    }
}

TEST_F(UserDataOperationsTest, UnitOfAnotherTypeGetsZeroBlocksFourNineAndTen)
{
    // An earlier backup of a type-3 unit leaves its blocks in the model's set.
    ASSERT_TRUE(Backup(File("type3.bin")));
    InstallationConfig config = InstallationConfig::Default();
    config.unit.kindCode = 0;  // a unit without modules of its own listing
    Serve(config);
    ASSERT_TRUE(Backup(File("type1.bin")));
    const auto file = Bytes(File("type1.bin"));
    ASSERT_EQ(file[0], 2);
    // Format byte, blocks 1-3 with their headers, then the header of block 4.
    const std::size_t block4 = 1 + 108 + 37 + 44 + 4;
    ASSERT_GE(file.size(), block4 + 1 + 4 + 161 + 4 + 1188);
    EXPECT_EQ(file[block4], 0);
    const auto rest = std::span<const std::uint8_t>(file).subspan(block4 + 1 + 4, 161);
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; }));
    const auto area = std::span<const std::uint8_t>(file).subspan(block4 + 1 + 4 + 161 + 4, 1188);
    EXPECT_TRUE(std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0; }));
    for (const SimRequestRecord& r : RequestsWith(kCmdDataBlockRead)) {
        EXPECT_NE(r.message.Operand2(), 8u);
        EXPECT_NE(r.message.Operand2(), 10u);
    }
}

TEST_F(UserDataOperationsTest, FailuresOfABackup)
{
    // A folder that does not exist: the file cannot be created; no half file, no 2197.
    EXPECT_FALSE(Backup(File("missing/b.bin")));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextBackupFileNotCreated});
    EXPECT_FALSE(std::filesystem::exists(File("missing")));

    // A unit that answers no user-list read.
    installation->Commands().Store().blockAnswerCodes[1] = kAnsRefused;
    EXPECT_FALSE(Backup(File("b.bin")));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextBackupFailed});
    EXPECT_FALSE(std::filesystem::exists(File("b.bin")));
}

TEST_F(UserDataOperationsTest, FailuresOfARestoreSendNothingOrStopTheWrites)
{
    // A file that cannot be opened: the fixed text, no 2193.
    EXPECT_FALSE(Restore(File("absent.bin")));
    ASSERT_EQ(host.messages, std::vector<std::uint32_t>{kMessageOwnText});
    EXPECT_TRUE(installation->Commands().BlockWrites().empty());

    // A damaged file: its message, then 2193; nothing is written to the unit.
    std::ofstream(File("bad.bin"), std::ios::binary) << std::string("\x02\x01\x00\x10\x00", 5);
    EXPECT_FALSE(Restore(File("bad.bin")));
    EXPECT_EQ(host.messages, (std::vector<std::uint32_t>{kTextBackupFileUnreadable, kTextRestoreFailed}));
    EXPECT_TRUE(installation->Commands().BlockWrites().empty());

    // A newer file for an older unit ends silently.
    FillUsers(installation->Commands().Store(), 2);
    ASSERT_TRUE(Backup(File("newer.bin")));
    ServeEmpty(WithUnitVersion(kOlderUnitVersion));
    EXPECT_FALSE(Restore(File("newer.bin")));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(installation->Commands().BlockWrites().empty());

    // A module that refuses a template part fails the restore.
    ServeEmpty(InstallationConfig::Default());
    installation->Commands().SetTemplateAnswer(kScanner6Address, kAnsRefused);
    EXPECT_FALSE(Restore(File("newer.bin")));
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextRestoreFailed});
}

TEST_F(UserDataOperationsTest, ExportWritesTheLogAndNothingForAnEmptyOne)
{
    host = RecordingHost{};
    ASSERT_TRUE(Run(StartExport(*model, host, File("log.csv"))));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(model->userDataOutcome.records, 5u);
    std::ifstream in(File("log.csv"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
    EXPECT_NE(text.find("\r\n1;USER0;01.06.2026;08:15:00;1;DOOR;"), std::string::npos);
    EXPECT_TRUE(host.progress.empty() || host.progress == std::vector<std::uint32_t>{0});

    installation->Commands().Store().log.clear();
    host = RecordingHost{};
    EXPECT_FALSE(Run(StartExport(*model, host, File("empty.csv"))));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(File("empty.csv")));
}

}  // namespace
}  // namespace quorfw::test

namespace quorfw::test {
namespace {

TEST_F(UserDataOperationsTest, InstallationDescribesWhatTheUnitStores)
{
    InstallationConfig config = WithUnitVersion(kOlderUnitVersion);
    SimStoreConfig store;
    store.users.push_back({9, 0x42, 0x1, 0x20, "NINA"});
    store.templates.push_back({9, 0, std::vector<std::uint8_t>(30, 0xAB)});
    store.generate = SimStoreGenerate{12, 2, 900, 5};
    std::array<std::uint8_t, 38> entry{};
    entry[36] = 'A';
    store.log.push_back(entry);
    store.blocks[3] = std::vector<std::uint8_t>(40, 0x33);
    config.store = store;
    Serve(config);

    ASSERT_TRUE(Backup(File("described.bin")));
    EXPECT_EQ(model->userDataOutcome.format, 1);
    EXPECT_EQ(model->userDataOutcome.users, 13u);
    EXPECT_EQ(model->userDataOutcome.templates, 1u + 12 * 2);
    const auto file = Bytes(File("described.bin"));
    // Block tag 3 after the format byte and blocks 1 (104) and 2 (17), with their headers.
    const std::size_t block3 = 1 + 108 + 21 + 4;
    ASSERT_GT(file.size(), block3 + 40);
    EXPECT_TRUE(std::all_of(file.begin() + block3, file.begin() + block3 + 40, [](std::uint8_t b) { return b == 0x33; }));
    // The first user record: number 9, byte 1 kept, the older format's 16 bytes.
    const std::size_t user = 1 + 108 + 21 + 44 + 5;
    EXPECT_EQ(ReadLe16(&file[user + 2]), 16u);
    EXPECT_EQ(file[user + 4], 9);
    EXPECT_EQ(file[user + 5], 0x42);
}

}  // namespace
}  // namespace quorfw::test
