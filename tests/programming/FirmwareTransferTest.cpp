#include "programming/FirmwareTransfer.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <random>

#include "bus/Crc8.h"
#include "common/LittleEndian.h"
#include "programming/CRC_32.h"
#include "programming/TransferPlan.h"
#include "tests/programming/ProgrammingBench.h"

namespace quorfw {
namespace {

constexpr const char* kArchive = "/tmp/update.tgz";

std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

struct FirmwareTransfer : ::testing::Test {
    ProgrammingBench bench;
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        bench.installation->ClearLogs();
    }
};

TEST_F(FirmwareTransfer, ArchiveOf1000BytesTravelsInTwoCheckedBlocksAndIsCommitted)
{
    const auto image = Noise(1000, 1);
    TransferFailure why;
    ASSERT_TRUE(TransferImage(bench.session, image, kArchive, 1, &why)) << why.Text();

    const auto starts = bench.CommandsTo(ProgrammingBench::kScanner6, 0x17);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Operand1(), 2u);
    EXPECT_EQ(starts[0].Operand2(), 0x40000000u);  // type 0, with the bit every module request gets
    EXPECT_EQ(starts[0].Length(), 15 + 28);

    const auto blocks = bench.CommandsTo(ProgrammingBench::kScanner6, 0x18);
    ASSERT_EQ(blocks.size(), 2u);
    const std::uint32_t offsets[] = {0, 800};
    const std::size_t sizes[] = {800, 200};
    for (int i = 0; i < 2; ++i) {
        const auto data = blocks[i].DataBytes();
        const std::span<const std::uint8_t> expected(image.data() + offsets[i], sizes[i]);
        EXPECT_EQ(blocks[i].Operand1(), offsets[i]);
        EXPECT_EQ(blocks[i].Operand2(), 0x40000000u);
        EXPECT_EQ(blocks[i].FrameFlags(), 0x80);
        ASSERT_EQ(data.size(), sizes[i] + 4);
        EXPECT_EQ(ReadLe32(data.data()), CRC_32::Checksum(expected));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data.begin() + 4));
    }
    const auto ends = bench.CommandsTo(ProgrammingBench::kScanner6, 0x19);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].Operand1(), 420u);
    const auto commits = bench.CommandsTo(ProgrammingBench::kScanner6, 0x09);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].Operand1(), ~CRC_32::Checksum(image));
    EXPECT_EQ(commits[0].Operand2(), 1000u);
    EXPECT_TRUE(bench.Receiver(ProgrammingBench::kScanner6).ImageVerified());
    EXPECT_EQ(bench.Receiver(ProgrammingBench::kScanner6).Unpacked(), image);
    EXPECT_EQ(bench.session.progress.load(), 0u);  // no progress for small images
}

TEST_F(FirmwareTransfer, KeypadOf480BytesSendsTwoFilledBlocksAndLeavesTheSessionInKeypadForm)
{
    const auto image = Noise(480, 2);
    ASSERT_TRUE(TransferImage(bench.session, image, "keypad", 2));
    EXPECT_EQ(bench.session.unit.type, 7u);

    const auto starts = bench.CommandsTo(ProgrammingBench::kKeypad, 0x17);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Operand1(), 1u);
    const auto blocks = bench.CommandsTo(ProgrammingBench::kKeypad, 0x18);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].Operand1(), 0u);
    EXPECT_EQ(blocks[1].Operand1(), 1u);
    const auto& received = bench.Receiver(ProgrammingBench::kKeypad).Received();
    ASSERT_EQ(received.size(), 1024u);
    EXPECT_EQ(blocks[1].Operand2(), 0x40000000u | Crc8(std::span(received).subspan(512)));
    std::vector<std::uint8_t> expected(1024, 0xFF);
    std::copy(image.begin(), image.end(), expected.begin() + 32);
    EXPECT_EQ(received, expected);
    const auto ends = bench.CommandsTo(ProgrammingBench::kKeypad, 0x19);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].Operand1(), Crc8(expected));
    EXPECT_TRUE(bench.CommandsTo(ProgrammingBench::kKeypad, 0x09).empty());
}

TEST_F(FirmwareTransfer, BlocksAcknowledgedWith0x35)
{
    bench.Receiver(ProgrammingBench::kScanner5).SetBlockAnswer(0x35);
    const auto image = Noise(3000, 3);
    ASSERT_TRUE(TransferImage(bench.session, image, kArchive, 0));
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner5, 0x18).size(), 4u);
    EXPECT_EQ(bench.Receiver(ProgrammingBench::kScanner5).Unpacked(), image);
}

TEST_F(FirmwareTransfer, UnitIsHeldBeforeEveryEleventhBlockAttempt)
{
    const std::size_t first = bench.recorder.written.size();
    ASSERT_TRUE(TransferImage(bench.session, Noise(25 * 800, 4), kArchive, 0));
    // Block attempts to the module between the holds sent to the unit. The unit missed the
    // key announced to the module, so the holds are read here as the tool wrote them.
    std::vector<int> runs{0};
    for (const BusMessage& m : bench.WrittenRequests(first)) {
        if (m.IsHeaderOnly())
            continue;
        if (m.Destination() == ProgrammingBench::kScanner5 && m.Command() == 0x18)
            ++runs.back();
        if (m.Destination() == bench.session.unit.address && m.Command() == 0x22) {
            EXPECT_EQ(m.Source(), 0xA0000000u);
            EXPECT_EQ(m.Operand1(), 0xFFu);
            EXPECT_EQ(m.Operand2(), 0u);
            EXPECT_EQ(m.FrameFlags(), 0x81);
            runs.push_back(0);
        }
    }
    EXPECT_EQ(runs, (std::vector<int>{10, 11, 4}));
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner5, 0x18).size(), 25u);
    EXPECT_GE(bench.session.progress.load(), 100u);
}

TEST_F(FirmwareTransfer, RefusedBlockAbortsTheTransfer)
{
    // The abort goes to the announcement address; pointing it at the module makes it visible.
    bench.session.link.announcementAddress = ProgrammingBench::kScanner5;
    bench.Receiver(ProgrammingBench::kScanner5).RefuseBlockOnce(3);
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(8000, 5), kArchive, 0, &why));
    EXPECT_EQ(why.Text(), "block 3 @0x960: answer 0x85");
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner5, 0x18).size(), 4u);
    EXPECT_TRUE(bench.CommandsTo(ProgrammingBench::kScanner5, 0x19).empty());
    const auto aborts = bench.CommandsTo(ProgrammingBench::kScanner5, 0x64);
    ASSERT_EQ(aborts.size(), 1u);
    EXPECT_EQ(aborts[0].Operand1(), 0u);
    EXPECT_EQ(aborts[0].Operand2(), 0u);
    EXPECT_FALSE(bench.Receiver(ProgrammingBench::kScanner5).ImageVerified());
}

TEST_F(FirmwareTransfer, GivesUpAfterMoreThan100UnansweredBlocksInARow)
{
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = ProgrammingBench::kScanner6;
    drop.command = 0x18;
    bench.installation->Faults().Add(drop);
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(2000, 6), kArchive, 1, &why));
    EXPECT_EQ(why.Text(), "block 0 @0x0: no answer");
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner6, 0x18).size(), 101u);
    EXPECT_TRUE(bench.CommandsTo(ProgrammingBench::kScanner6, 0x19).empty());
}

TEST_F(FirmwareTransfer, OtherAnswersToABlockAreNotCountedAsUnanswered)
{
    // A target that answers 0x83 to its first 120 block attempts and then acknowledges: only
    // unanswered attempts count towards the limit of 100, so the transfer goes through.
    SimTransferReceiver& receiver = bench.Receiver(ProgrammingBench::kScanner6);
    receiver.SetBlockAnswer(0x83);
    bench.recorder.afterWrite = [&](std::size_t) {
        if (bench.CommandsTo(ProgrammingBench::kScanner6, 0x18).size() >= 120)
            receiver.SetBlockAnswer(0x82);
    };
    const auto image = Noise(1600, 13);
    TransferFailure why;
    ASSERT_TRUE(TransferImage(bench.session, image, kArchive, 1, &why)) << why.Text();
    EXPECT_GT(bench.CommandsTo(ProgrammingBench::kScanner6, 0x18).size(), 120u);
    EXPECT_EQ(receiver.Unpacked(), image);
}

TEST_F(FirmwareTransfer, CommitNotConfirmedWithin20SecondsFails)
{
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = ProgrammingBench::kScanner6;
    drop.command = 0x09;
    bench.installation->Faults().Add(drop);
    const std::uint64_t before = bench.clock.NowMs();
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(2000, 7), kArchive, 1, &why));
    EXPECT_EQ(why.step, TransferFailure::Step::Commit);
    EXPECT_GE(bench.clock.NowMs() - before, 20000u);
    EXPECT_GE(bench.CommandsTo(ProgrammingBench::kScanner6, 0x09).size(), 2u);
}

TEST_F(FirmwareTransfer, StartWithoutAcceptanceFailsAfterThreeAttempts)
{
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = ProgrammingBench::kScanner6;
    drop.command = 0x17;
    bench.installation->Faults().Add(drop);
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(2000, 8), kArchive, 1, &why));
    EXPECT_EQ(why.Text(), "start: no answer");
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner6, 0x17).size(), 3u);
    EXPECT_TRUE(bench.CommandsTo(ProgrammingBench::kScanner6, 0x18).empty());
}

TEST_F(FirmwareTransfer, NothingIsSentForWhatCannotBeTransferred)
{
    struct Case {
        std::uint8_t slot;
        const char* name;
        std::size_t size;
    } cases[] = {{4, kArchive, 100}, {0xFE, kArchive, 100}, {0, kArchive, 0}};
    for (const auto& c : cases) {
        TransferFailure why;
        EXPECT_FALSE(TransferImage(bench.session, Noise(c.size, 9), c.name, c.slot, &why));
        EXPECT_EQ(why.step, TransferFailure::Step::Refused);
    }
    bench.session.unit.type = 4;  // a unit whose firmware is not transferred this way
    EXPECT_FALSE(TransferImage(bench.session, Noise(100, 9), "IE", 0xFF));
    EXPECT_TRUE(bench.installation->Requests().empty());
}

TEST_F(FirmwareTransfer, ClosedSessionEndsTheTransferAtOnce)
{
    // Closed before it starts: nothing goes out.
    bench.session.Close();
    const std::uint64_t before = bench.clock.NowMs();
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(5000, 10), kArchive, 0, &why));
    EXPECT_EQ(why.step, TransferFailure::Step::Closed);
    EXPECT_EQ(bench.clock.NowMs(), before);
    EXPECT_TRUE(bench.installation->Requests().empty());
}

TEST(FirmwareTransferStop, ClosingMidTransferStopsWithinOneBlock)
{
    ProgrammingBench bench;
    ASSERT_TRUE(bench.Connect());
    std::uint64_t closedAtMs = 0;
    std::size_t blocksAtClose = 0;
    bench.recorder.afterWrite = [&](std::size_t) {
        const auto blocks = bench.CommandsTo(ProgrammingBench::kScanner5, 0x18).size();
        if (closedAtMs == 0 && blocks == 5) {
            bench.session.Close();  // what the window does to stop the worker
            closedAtMs = bench.clock.NowMs();
            blocksAtClose = blocks;
        }
    };
    TransferFailure why;
    EXPECT_FALSE(TransferImage(bench.session, Noise(20000, 12), kArchive, 0, &why));
    ASSERT_NE(closedAtMs, 0u);
    EXPECT_EQ(why.step, TransferFailure::Step::Closed);
    EXPECT_EQ(bench.CommandsTo(ProgrammingBench::kScanner5, 0x18).size(), blocksAtClose);
    EXPECT_LT(bench.clock.NowMs() - closedAtMs, 1000u);
    EXPECT_FALSE(bench.Receiver(ProgrammingBench::kScanner5).ImageVerified());
}

TEST_F(FirmwareTransfer, UnitTransferKeepsItsPauses)
{
    // 200 ms, then 300 ms before the start; 300 + 1000 ms before the first block; each block
    // waits 50 ms before its answer is read and 50 ms after it. Measured from when the tool
    // wrote each frame; a quick answer adds a few milliseconds.
    const std::uint32_t unit = bench.session.unit.address;
    const std::size_t first = bench.recorder.written.size();
    std::vector<std::uint64_t> writtenAtMs;
    bench.recorder.afterWrite = [&](std::size_t) { writtenAtMs.push_back(bench.clock.NowMs()); };
    const std::uint64_t calledMs = bench.clock.NowMs();
    ASSERT_TRUE(TransferImage(bench.session, Noise(600, 14), "IE", 0xFF));

    std::vector<std::uint64_t> atMs;
    std::vector<std::uint8_t> commands;
    StationLink reader(1);
    for (std::size_t i = first; i < bench.recorder.written.size(); ++i) {
        BusMessage m;
        ASSERT_EQ(reader.DecodeRequest(bench.recorder.written[i], m), DecodeResult::Accepted);  // plain frames
        ASSERT_EQ(m.Destination(), unit);
        EXPECT_EQ(m.Source(), 0xA0000000u);
        atMs.push_back(writtenAtMs[i - first]);
        commands.push_back(m.Command());
    }
    ASSERT_EQ(commands, (std::vector<std::uint8_t>{0x17, 0x18, 0x18, 0x18, 0x19}));
    const std::uint64_t minGapMs[] = {500, 1300, 100, 100, 100};
    for (std::size_t i = 0; i < atMs.size(); ++i) {
        const std::uint64_t gap = atMs[i] - (i == 0 ? calledMs : atMs[i - 1]);
        EXPECT_GE(gap, minGapMs[i]) << i;
        EXPECT_LT(gap, minGapMs[i] + 40) << i;
    }
}

// A unit of type 1 that comes back with the version its installation names.
InstallationConfig Type1Unit()
{
    InstallationConfig config;
    config.unit.address = 0x21000001;
    config.unit.version = 1020304;
    config.unit.serial = "10010100001111";
    config.unit.hardwareCode = 0x10000031;  // family 0x1000, variant '1'
    config.unit.versionAfterUpdate = 1020400;
    config.restartDownMs = 2500;
    return config;
}

TEST(FirmwareTransferUnit, Type1UnitTakesTheFirst28672BytesAndRestartsWithItsNewVersion)
{
    ProgrammingBench bench(Type1Unit());
    ASSERT_TRUE(ScanBus(bench.session));
    ASSERT_TRUE(Identify(bench.session, kIdentifyUnit));
    ASSERT_EQ(bench.session.unit.type, 1u);
    bench.installation->ClearLogs();

    const auto image = Noise(40000, 11);
    ASSERT_TRUE(TransferImage(bench.session, image, "IE", 0xFF));
    const std::uint32_t unit = bench.session.unit.address;
    const auto starts = bench.CommandsTo(unit, 0x17);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Operand1(), 313u);
    EXPECT_EQ(starts[0].Operand2(), 0u);
    EXPECT_EQ(starts[0].Source(), 0xA0000000u);
    const auto blocks = bench.CommandsTo(unit, 0x18);
    ASSERT_EQ(blocks.size(), 224u);
    EXPECT_EQ(blocks.back().Operand1(), 223u * 128);
    EXPECT_EQ(blocks.back().Length(), 128 + 31);
    EXPECT_EQ(bench.Receiver(unit).Received(), std::vector<std::uint8_t>(image.begin(), image.begin() + 28672));
    EXPECT_TRUE(bench.CommandsTo(unit, 0x09).empty());
    EXPECT_GE(bench.session.progress.load(), 100u);

    // Down for its restart, then back with the version its installation names.
    EXPECT_FALSE(Identify(bench.session, kIdentifyUnit));
    ASSERT_TRUE(bench.AwaitIdentity(kIdentifyUnit));
    EXPECT_EQ(bench.session.unit.version, 1020400u);
}

}  // namespace
}  // namespace quorfw
