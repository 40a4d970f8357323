#include "bus/BusCommandCodes.h"
#include "bus/TemplateCommands.h"
#include "tests/bus/CommandTestBench.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(CommandTemplate, ReadGathersAllParts)
{
    CommandTestBench bench;
    // User 2, slot 2: 1250 bytes on the first finger scanner, in parts of 600.
    ASSERT_TRUE(ReadTemplate(bench.session, 0, 0x220));
    const auto& stored = bench.Store().templates.at({kScannerOld, 0x220});
    ASSERT_EQ(bench.session.templateLength, stored.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), bench.session.templateBuffer.begin()));
    const auto reads = bench.CommandsTo(kScannerOld, kCmdTemplateRead);
    ASSERT_EQ(reads.size(), 4u);  // three parts and the empty end
    EXPECT_EQ(reads[3].Operand1(), 0x220u);
    EXPECT_EQ(reads[3].Operand2(), 3u);
    EXPECT_EQ(reads[3].Length(), 28);

    // The next read starts the buffer again.
    ASSERT_TRUE(ReadTemplate(bench.session, 0, 0x700));
    EXPECT_EQ(bench.session.templateLength, 64);
}

TEST(CommandTemplate, EmptyFirstPartAndOversizedTemplatesFail)
{
    CommandTestBench bench;
    EXPECT_FALSE(ReadTemplate(bench.session, 0, 0x330));  // nothing stored: the first answer is empty
    bench.Store().templates[{kScannerOld, 0x340}] = std::vector<std::uint8_t>(2000, 0x5A);
    EXPECT_TRUE(ReadTemplate(bench.session, 0, 0x340));
    EXPECT_EQ(bench.session.templateLength, 2000);
    bench.Store().templates[{kScannerOld, 0x350}] = std::vector<std::uint8_t>(2001, 0x5A);
    EXPECT_FALSE(ReadTemplate(bench.session, 0, 0x350));
    EXPECT_FALSE(ReadTemplate(bench.session, 3, 0x100));  // no module in slot 3
}

TEST(CommandTemplate, WriteGoesToTheModulesOfTheGroup)
{
    CommandTestBench bench;
    const std::vector<std::uint8_t> part(600, 0x42);
    // Group 12 (selector 0x..C.): only the bit-31 module, which answers 0x05.
    ASSERT_TRUE(WriteTemplate(bench.session, 0x9C1, 0, part));
    // Group 13 and the finger groups: the modules with one of bits 28-30.
    ASSERT_TRUE(WriteTemplate(bench.session, 0x9D1, 1, part));
    const auto& writes = bench.Commands().TemplateWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].station, kKeypad);
    EXPECT_EQ(writes[0].templateSelector, 0x9C1u);
    EXPECT_EQ(writes[0].data, part);
    EXPECT_EQ(writes[1].station, kScannerOld);
    EXPECT_EQ(writes[1].part, 1u);
    EXPECT_EQ(writes[2].station, kScanner);
    const auto requests = bench.CommandsTo(kScanner, kCmdTemplateWrite);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Length(), 27 + 600);
    EXPECT_EQ(requests[0].FrameFlags(), 0x80);
}

TEST(CommandTemplate, WriteFailsOnAnotherAnswer)
{
    CommandTestBench bench;
    bench.Commands().SetTemplateAnswer(kScannerOld, 0x82);
    EXPECT_FALSE(WriteTemplate(bench.session, 0x100, 0, std::vector<std::uint8_t>(10, 1)));
    EXPECT_TRUE(bench.CommandsTo(kScanner, kCmdTemplateWrite).empty());
}

TEST(CommandTemplate, FourUnansweredAttemptsAreSharedByAllModules)
{
    CommandTestBench bench;
    // The first scanner misses two answers, the second then gets two tries left: it misses them too.
    bench.DropAnswers(kScannerOld, kCmdTemplateWrite, 1);
    bench.DropAnswers(kScannerOld, kCmdTemplateWrite, 1);
    bench.DropAnswers(kScanner, kCmdTemplateWrite);
    EXPECT_FALSE(WriteTemplate(bench.session, 0x100, 0, std::vector<std::uint8_t>(10, 1)));
    EXPECT_EQ(bench.CommandsTo(kScannerOld, kCmdTemplateWrite).size(), 3u);
    EXPECT_EQ(bench.CommandsTo(kScanner, kCmdTemplateWrite).size(), 2u);
}

}  // namespace
}  // namespace quorfw
