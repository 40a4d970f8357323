#include "bus/BusCommandCodes.h"
#include "bus/DataBlockCommands.h"
#include "tests/bus/CommandTestBench.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 3 * i);
    }
    return bytes;
}

TEST(CommandPagedRead, UsersArriveInTheUnitsRecordFormat)
{
    CommandTestBench bench;
    bench.Store().recordsPerPage = 2;
    ASSERT_TRUE(ReadUserList(bench.session));
    ASSERT_EQ(bench.session.newUserRecords.size(), 3u);
    EXPECT_TRUE(bench.session.userRecords.empty());
    for (std::size_t i = 0; i < 3; ++i) {
        const auto bytes = bench.session.newUserRecords[i].Bytes();
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), bench.Store().users[i].begin())) << i;
    }
    EXPECT_EQ(bench.session.newUserRecords[2].NameText(), "CLARA");
    // Pages 0 and 1 carry records, page 2 is the empty end; each request 28 bytes, selector 1.
    const auto reads = bench.CommandsTo(kUnitAddress, kCmdDataBlockRead);
    ASSERT_EQ(reads.size(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(reads[i].Operand1(), i);
        EXPECT_EQ(reads[i].Operand2(), 1u);
        EXPECT_EQ(reads[i].Length(), 28);
    }
}

TEST(CommandPagedRead, OlderUnitsDeliverSixteenByteRecords)
{
    InstallationConfig config = InstallationConfig::Default();
    config.unit.version = 2017502;
    CommandTestBench bench(config);
    ASSERT_TRUE(ReadUserList(bench.session));
    ASSERT_EQ(bench.session.userRecords.size(), 3u);
    EXPECT_TRUE(bench.session.newUserRecords.empty());
    EXPECT_EQ(bench.session.userRecords[1].NameText(), "BERT");
    EXPECT_EQ(bench.session.userRecords[1].templateMask, 0x41u);
}

TEST(CommandPagedRead, EmptyFirstPageCompletesAUserListButNotALog)
{
    CommandTestBench bench;
    bench.Store().users.clear();
    bench.Store().log.clear();
    EXPECT_TRUE(ReadUserList(bench.session));
    EXPECT_TRUE(bench.session.newUserRecords.empty());
    EXPECT_FALSE(ReadLogList(bench.session));
    // Each answered at once: one request apiece.
    EXPECT_EQ(bench.CommandsTo(kUnitAddress, kCmdDataBlockRead).size(), 2u);
}

TEST(CommandPagedRead, LogRecordsAreTakenWhole)
{
    CommandTestBench bench;
    bench.Store().recordsPerPage = 3;
    ASSERT_TRUE(ReadLogList(bench.session));
    ASSERT_EQ(bench.session.logRecords.size(), 5u);
    EXPECT_EQ(bench.session.logRecords[4].bytes, bench.Store().log[4]);
}

TEST(CommandPagedRead, MissingAnswersBetweenPages)
{
    struct Case {
        std::uint32_t missing;
        bool succeeds;
    };
    for (const Case c : {Case{2, true}, Case{3, false}}) {
        SCOPED_TRACE(c.missing);
        CommandTestBench bench;
        bench.Store().recordsPerPage = 1;
        // The answers after the first page are lost `missing` times in a row.
        for (std::uint32_t i = 0; i < c.missing; ++i) {
            bench.DropAnswers(kUnitAddress, kCmdDataBlockRead, 2);
        }
        EXPECT_EQ(ReadUserList(bench.session), c.succeeds);
        EXPECT_EQ(bench.session.newUserRecords.size(), c.succeeds ? 3u : 1u);
    }
}

TEST(CommandPagedRead, RefusalEndsAReadAtOnce)
{
    CommandTestBench bench;
    bench.Store().blockAnswerCodes[5] = kAnsRefused;
    EXPECT_FALSE(ReadLogList(bench.session));
    EXPECT_EQ(bench.CommandsTo(kUnitAddress, kCmdDataBlockRead).size(), 1u);
    EXPECT_TRUE(bench.session.logRecords.empty());
}

TEST(CommandDataBlock, EachReadSelectorFillsItsBlock)
{
    CommandTestBench bench;
    BusSession& s = bench.session;
    struct Case {
        std::uint32_t selector;
        std::span<const std::uint8_t> block;
    };
    const Case cases[] = {
        {2, s.block40},
        {3, s.block104},
        {4, std::span<const std::uint8_t>(s.block17or33)},  // a newer unit: 33 bytes
        {8, std::span<const std::uint8_t>(&s.block1, 1)},
        {9, s.block161},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selector);
        ASSERT_TRUE(ReadDataBlock(s, c.selector));
        const auto& stored = bench.Store().blocks.at(c.selector);
        ASSERT_EQ(stored.size(), c.block.size());
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), c.block.begin()));
    }
    EXPECT_FALSE(ReadDataBlock(s, 5));
}

TEST(CommandDataBlock, OnlySelectorFourTakesAnyAnswerButARefusal)
{
    CommandTestBench bench;
    bench.Store().blockAnswerCodes[4] = 0x81;
    bench.Store().blockAnswerCodes[2] = 0x81;
    bench.Store().blockAnswerCodes[3] = kAnsRefused;
    EXPECT_TRUE(ReadDataBlock(bench.session, 4));
    EXPECT_FALSE(ReadDataBlock(bench.session, 2));
    EXPECT_FALSE(ReadDataBlock(bench.session, 3));
    const auto reads = bench.CommandsTo(kUnitAddress, kCmdDataBlockRead);
    // 4: one; 2: four attempts; 3: the refusal ends it at once.
    ASSERT_EQ(reads.size(), 6u);
    EXPECT_EQ(reads[0].Operand2(), 4u);
    EXPECT_EQ(reads[4].Operand2(), 2u);
    EXPECT_EQ(reads[5].Operand2(), 3u);
}

TEST(CommandDataBlock, OlderUnitsReadSeventeenBytesOfBlockTwo)
{
    InstallationConfig config = InstallationConfig::Default();
    config.unit.version = 2017502;
    CommandTestBench bench(config);
    bench.session.block17or33.fill(0xEE);
    ASSERT_TRUE(ReadDataBlock(bench.session, 4));
    const auto& stored = bench.Store().blocks.at(4);
    ASSERT_EQ(stored.size(), 17u);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), bench.session.block17or33.begin()));
    EXPECT_EQ(bench.session.block17or33[17], 0xEE);
}

TEST(CommandDataBlock, PageAreaIsReadPageByPage)
{
    CommandTestBench bench;
    ASSERT_TRUE(ReadPageArea(bench.session));
    EXPECT_EQ(bench.session.pageArea, bench.Store().pageArea);
    // Three pages and the empty end, all asked for as block 0 of selector 10.
    const auto reads = bench.CommandsTo(kUnitAddress, kCmdDataBlockRead);
    ASSERT_EQ(reads.size(), 4u);
    for (const BusMessage& read : reads) {
        EXPECT_EQ(read.Operand1(), 0u);
        EXPECT_EQ(read.Operand2(), 10u);
    }
}

TEST(CommandDataBlock, PageAreaWriteSendsThreePages)
{
    CommandTestBench bench;
    const auto area = Bytes(1188, 0x05);
    ASSERT_TRUE(WritePageArea(bench.session, std::span<const std::uint8_t, 1188>(area.data(), 1188)));
    const auto& writes = bench.Commands().BlockWrites();
    ASSERT_EQ(writes.size(), 3u);
    const std::size_t sizes[] = {512, 512, 164};
    for (std::uint32_t page = 0; page < 3; ++page) {
        EXPECT_EQ(writes[page].selector, 10u);
        EXPECT_EQ(writes[page].operand2, page);
        EXPECT_EQ(writes[page].data.size(), sizes[page]);
    }
    EXPECT_TRUE(std::equal(area.begin(), area.end(), bench.Store().pageArea.begin()));
    // Each page travels with one 0 byte after it.
    const auto requests = bench.CommandsTo(kUnitAddress, kCmdDataBlockWrite);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].Length(), 28 + 164);
    EXPECT_EQ(requests[2].Data()[164], 0);
}

TEST(CommandDataBlock, PageAreaWriteStopsAtAnUnacknowledgedPage)
{
    CommandTestBench bench;
    bench.DropAnswers(kUnitAddress, kCmdDataBlockWrite, 2);
    bench.DropAnswers(kUnitAddress, kCmdDataBlockWrite, 2);
    bench.DropAnswers(kUnitAddress, kCmdDataBlockWrite, 2);
    bench.DropAnswers(kUnitAddress, kCmdDataBlockWrite, 2);
    const auto area = Bytes(1188, 0x05);
    EXPECT_FALSE(WritePageArea(bench.session, std::span<const std::uint8_t, 1188>(area.data(), 1188)));
    // Page 0 once, page 1 four times, page 2 never.
    const auto& writes = bench.Commands().BlockWrites();
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes.back().operand2, 1u);
}

TEST(CommandDataBlock, BlockWritesCheckSizeAndSelector)
{
    CommandTestBench bench;
    struct Case {
        std::uint32_t writeSelector;
        std::uint32_t readSelector;
        std::size_t size;
    };
    const Case cases[] = {{3, 2, 40}, {4, 3, 104}, {5, 4, 33}, {8, 8, 1}, {9, 9, 161}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writeSelector);
        const auto block = Bytes(c.size, static_cast<std::uint8_t>(c.writeSelector));
        ASSERT_TRUE(WriteDataBlock(bench.session, c.writeSelector, block));
        EXPECT_EQ(bench.Store().blocks.at(c.readSelector), block);
    }
    const std::size_t sent = bench.Commands().BlockWrites().size();
    EXPECT_FALSE(WriteDataBlock(bench.session, 3, Bytes(41, 0)));
    EXPECT_FALSE(WriteDataBlock(bench.session, 10, Bytes(512, 0)));
    EXPECT_FALSE(WriteDataBlock(bench.session, 1, Bytes(18, 0)));
    EXPECT_EQ(bench.Commands().BlockWrites().size(), sent);
}

TEST(CommandDataBlock, FirstAnswerDecidesAWrite)
{
    CommandTestBench bench;
    // The unit refuses a block of the wrong size for it: 17 bytes on a newer unit.
    EXPECT_FALSE(WriteDataBlock(bench.session, 5, Bytes(17, 0)));
    EXPECT_EQ(bench.Commands().BlockWrites().size(), 1u);
    // Unanswered attempts are repeated, four in all.
    bench.DropAnswers(kUnitAddress, kCmdDataBlockWrite);
    EXPECT_FALSE(WriteDataBlock(bench.session, 8, Bytes(1, 0)));
    EXPECT_EQ(bench.Commands().BlockWrites().size(), 5u);
}

TEST(CommandDataBlock, UserBatchCarriesItsCount)
{
    CommandTestBench bench;
    bench.Store().users.clear();
    USERDATARECORDNEW a;
    a.userNumber = 4;
    a.extraMask = 0x21;
    USERDATARECORDNEW b;
    b.userNumber = 5;
    const std::vector<USERDATARECORDNEW> batch = {a, b};
    ASSERT_TRUE(WriteUsers(bench.session, batch));
    ASSERT_TRUE(WriteUsers(bench.session, std::span<const USERDATARECORDNEW>{}));
    const auto& writes = bench.Commands().BlockWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].selector, 1u);
    EXPECT_EQ(writes[0].operand2, 2u);
    EXPECT_EQ(writes[0].data.size(), 36u);
    EXPECT_EQ(writes[1].operand2, 0u);
    ASSERT_EQ(bench.Store().users.size(), 2u);
    EXPECT_EQ(bench.Store().users[0][0], 4);
    EXPECT_EQ(bench.Store().users[0][16], 0x21);
    // A batch larger than one request is refused without sending.
    const std::vector<USERDATARECORDNEW> tooMany(65);
    EXPECT_FALSE(WriteUsers(bench.session, tooMany));
    EXPECT_EQ(writes.size(), 2u);
}

}  // namespace
}  // namespace quorfw
