#include "programming/TransferPlan.h"

#include <gtest/gtest.h>

#include <numeric>

#include "bus/Crc8.h"
#include "common/LittleEndian.h"
#include "programming/CRC_32.h"

namespace quorfw {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    return v;
}

TransferPlan MustPlan(const TransferPlanInput& input)
{
    auto plan = PlanTransfer(input);
    EXPECT_TRUE(plan.has_value());
    return plan.value_or(TransferPlan{});
}

// Walks the plan the way the transfer does and returns every block request.
std::vector<BlockRequest> AllBlocks(const TransferPlan& plan)
{
    std::vector<BlockRequest> blocks;
    std::uint32_t number = 0;
    for (std::size_t offset = 0; offset < plan.sentImage.size(); offset += plan.blockSize)
        blocks.push_back(PlanBlock(plan, number++, offset));
    return blocks;
}

TEST(TransferMode, ChosenByNameWithUnitBeforeKeypad)
{
    struct Case {
        const char* name;
        TransferMode mode;
    } cases[] = {
        {"IE", TransferMode::Unit},         {"xIEkeypad", TransferMode::Unit},
        {"keypad", TransferMode::Keypad},   {"/tmp/keypad.bin", TransferMode::Keypad},
        {"/tmp/update.tgz", TransferMode::Archive}, {"ie", TransferMode::Archive},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransferModeFromName(c.name), c.mode) << c.name;
}

TEST(TransferPlan, UnitTableByTypeAndKindCode)
{
    struct Case {
        std::uint32_t type;
        std::uint8_t kind;
        std::uint32_t blockSize, transferType, limit;
    } cases[] = {
        {1, 0, 128, 0, 0x7000},     {2, 0, 256, 7, 0xE000},     {2, 10, 256, 10, 0xE000},
        {3, 10, 256, 8, 0x1E000},   {4, 0, 256, 10, 0},          {8, 9, 256, 7, 0x1E000},
        {8, 10, 256, 10, 0x1E000},  {9, 0, 128, 11, 0x7000},     {12, 0, 256, 20, 0x1E000},
        {7, 0, 512, 0, 131072},     {5, 0, 512, 0, 0},           {6, 0, 512, 0, 0},
        {10, 0, 512, 0, 0},         {11, 0, 512, 0, 0},
    };
    for (const auto& c : cases) {
        auto row = UnitTransferRowFor(c.type, c.kind);
        ASSERT_TRUE(row) << c.type;
        EXPECT_EQ(row->blockSize, c.blockSize) << c.type;
        EXPECT_EQ(row->transferType, c.transferType) << c.type;
        EXPECT_EQ(row->imageLimit, c.limit) << c.type;
    }
    EXPECT_FALSE(UnitTransferRowFor(0, 0));
    EXPECT_FALSE(UnitTransferRowFor(13, 0));
}

TEST(TransferPlan, ArchiveOf1000BytesIsTwoBlocksWithLeadingCrc32)
{
    const auto image = Counting(1000);
    const auto plan = MustPlan({image, "/tmp/update.tgz", 2, 0, 0x20000000});
    EXPECT_EQ(plan.mode, TransferMode::Archive);
    EXPECT_EQ(plan.source, 0x20000000u);
    EXPECT_EQ(plan.kind, 0x80);
    EXPECT_EQ(plan.announcedBlocks, 2u);
    EXPECT_EQ(plan.unitType, 2u);
    EXPECT_TRUE(plan.commit);
    EXPECT_EQ(plan.endOperand, 420u);

    const auto blocks = AllBlocks(plan);
    ASSERT_EQ(blocks.size(), 2u);
    const std::size_t sizes[] = {800, 200};
    const std::uint32_t offsets[] = {0, 800};
    for (int i = 0; i < 2; ++i) {
        const auto& b = blocks[i];
        EXPECT_EQ(b.operand1, offsets[i]);
        EXPECT_EQ(b.operand2, 0u);
        EXPECT_EQ(b.length, sizes[i] + 31);
        ASSERT_EQ(b.data.size(), sizes[i] + 4);
        const std::span<const std::uint8_t> expected(image.data() + offsets[i], sizes[i]);
        EXPECT_EQ(ReadLe32(b.data.data()), CRC_32::Checksum(expected));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), b.data.begin() + 4));
    }
}

TEST(TransferPlan, KeypadOf480BytesSendsTwoFilledBlocksButAnnouncesOne)
{
    const auto image = Counting(480);
    const auto plan = MustPlan({image, "keypad", 2, 0, 0x20000000});
    EXPECT_EQ(plan.mode, TransferMode::Keypad);
    EXPECT_EQ(plan.source, 0x20000000u);
    EXPECT_EQ(plan.kind, 0xC0);
    EXPECT_EQ(plan.unitType, 7u);
    EXPECT_TRUE(plan.keypadForm);
    EXPECT_EQ(plan.announcedBlocks, 1u);
    ASSERT_EQ(plan.sentImage.size(), 1024u);
    EXPECT_TRUE(std::all_of(plan.sentImage.begin(), plan.sentImage.begin() + 32, [](auto b) { return b == 0xFF; }));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), plan.sentImage.begin() + 32));
    EXPECT_TRUE(std::all_of(plan.sentImage.begin() + 512, plan.sentImage.end(), [](auto b) { return b == 0xFF; }));
    EXPECT_EQ(plan.endOperand, Crc8(plan.sentImage));

    const auto blocks = AllBlocks(plan);
    ASSERT_EQ(blocks.size(), 2u);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const std::span<const std::uint8_t> expected(plan.sentImage.data() + 512 * i, 512);
        EXPECT_EQ(blocks[i].operand1, i);
        EXPECT_EQ(blocks[i].length, 512 + 27);
        EXPECT_EQ(blocks[i].operand2, Crc8(expected));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), blocks[i].data.begin(), blocks[i].data.end()));
    }
}

TEST(TransferPlan, KeypadFillReachesTheNextMultipleOf512)
{
    struct Case {
        std::size_t image, filled;
    } cases[] = {{1, 512}, {479, 512}, {480, 1024}, {481, 1024}, {992, 1536}};
    for (const auto& c : cases)
        EXPECT_EQ(BuildKeypadImage(Counting(c.image)).size(), c.filled) << c.image;
}

TEST(TransferPlan, UnitType1CutsTo28672ButAnnouncesTheWholeImage)
{
    const auto image = Counting(40000);
    const auto plan = MustPlan({image, "IE", 1, 0, 0x20000000});
    EXPECT_EQ(plan.source, 0xA0000000u);
    EXPECT_EQ(plan.kind, 0xC0);
    EXPECT_EQ(plan.transferType, 0u);
    EXPECT_EQ(plan.announcedBlocks, 313u);
    ASSERT_EQ(plan.sentImage.size(), 28672u);
    EXPECT_EQ(plan.endOperand, Crc8(std::span(image).first(28672)));

    const auto blocks = AllBlocks(plan);
    ASSERT_EQ(blocks.size(), 224u);
    const auto& last = blocks.back();
    const std::span<const std::uint8_t> expected(image.data() + 223 * 128, 128);
    EXPECT_EQ(last.operand1, 223u * 128);
    EXPECT_EQ(last.length, 128 + 31);
    EXPECT_EQ(last.operand2, Crc8(expected));
    EXPECT_EQ(ReadLe32(last.data.data()), CRC_32::Checksum(expected));
}

TEST(TransferPlan, UnitOfType7SendsTheKeypadFormAndChecksTheWholeFill)
{
    // Longer than the limit, so the end CRC covers bytes that never travel.
    const auto image = Counting(140000);
    const auto plan = MustPlan({image, "IE", 7, 0, 0x20000000});
    EXPECT_TRUE(plan.keypadForm);
    EXPECT_EQ(plan.blockSize, 512u);
    EXPECT_EQ(plan.announcedBlocks, (140000u + 511) / 512);
    ASSERT_EQ(plan.sentImage.size(), 131072u);
    const auto whole = BuildKeypadImage(image);
    EXPECT_EQ(plan.endOperand, Crc8(whole));
    EXPECT_NE(plan.endOperand, Crc8(plan.sentImage));
}

TEST(TransferPlan, ArchiveAfterAKeypadTransferUsesTheKeypadFormWithoutChecksums)
{
    const auto image = Counting(1000);
    const auto plan = MustPlan({image, "/tmp/update.tgz", 7, 0, 0x20000000});
    EXPECT_TRUE(plan.keypadForm);
    EXPECT_EQ(plan.sentImage.size(), 1000u);  // no fill outside unit and keypad modes
    const auto blocks = AllBlocks(plan);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].operand1, 1u);
    EXPECT_EQ(blocks[1].operand2, 0u);
    EXPECT_EQ(blocks[1].length, 200 + 27);
}

TEST(TransferPlan, NothingIsPlannedThatCouldNotReachTheTarget)
{
    const auto image = Counting(100);
    EXPECT_FALSE(PlanTransfer({{}, "/tmp/update.tgz", 2, 0, 0x20000000}));
    EXPECT_FALSE(PlanTransfer({image, "IE", 4, 0, 0x20000000}));
    EXPECT_FALSE(PlanTransfer({image, "IE", 10, 0, 0x20000000}));
    EXPECT_FALSE(PlanTransfer({image, "IE", 0, 0, 0x20000000}));
}

TEST(TransferPlan, ProgressCountsWholeBlocksAndMayPassHundred)
{
    EXPECT_EQ(TransferProgress(0, 800, 20000), 0u);
    EXPECT_EQ(TransferProgress(10, 800, 20000), 40u);
    EXPECT_EQ(TransferProgress(25, 800, 20000), 100u);
    EXPECT_EQ(TransferProgress(13, 800, 10001), 103u);
    EXPECT_EQ(TransferProgress(1311, 800, 1048576), 100u);
}

}  // namespace
}  // namespace quorfw
