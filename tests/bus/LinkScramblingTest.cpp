#include "bus/LinkScrambling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "bus/FrameCodec.h"
#include "bus/LinkState.h"
#include "tests/bus/CodecTestUtil.h"

namespace quorfw {
namespace {

using testutil::Hex;
using testutil::ToHex;

constexpr Permutation kIdentity = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

TEST(Permutation, IterationCounts)
{
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {{0, 12}, {11, 23}, {12, 12}, {31, 31}, {32, 12}, {13335, 23}};
    for (const auto& [seed, iterations] : cases)
        EXPECT_EQ(PermutationIterations(seed), iterations) << seed;
}

TEST(Permutation, KnownSeedAndPayload)
{
    BusMessage m;
    m.SetSeedLow(0x34);
    m.SetSeedHigh(0x12);
    m.SetSequence(5);
    const std::uint32_t seed = MessageSeed(m);
    ASSERT_EQ(seed, 13335u);
    const Permutation p = BuildPermutation(seed, 214013, 2531011);
    EXPECT_EQ(p, (Permutation{11, 10, 8, 3, 15, 13, 12, 6, 1, 2, 9, 7, 4, 0, 14, 5}));

    std::vector<std::uint8_t> payload = Hex("22 00 00 00 00 00 00 00 00");
    Scramble(payload, seed, 214013, 2531011);
    EXPECT_EQ(ToHex(payload), "88 BA B9 B8 BF BE BD BC B3");
    Unscramble(payload, seed, 214013, 2531011);
    EXPECT_EQ(ToHex(payload), "22 00 00 00 00 00 00 00 00");
}

TEST(Permutation, SeedIsAnUntruncatedSum)
{
    BusMessage m;
    m.SetSeedLow(0xFF);
    m.SetSeedHigh(0xFF);
    m.SetSequence(0xFF);
    EXPECT_EQ(MessageSeed(m), 0xFFFFu + 0xFF);
}

TEST(Permutation, ZeroKeyIsIdentityAndScrambleOnlyXorsThePosition)
{
    for (std::uint32_t seed : {0u, 1u, 12345u, 65790u})
        EXPECT_EQ(BuildPermutation(seed, 0, 0), kIdentity);

    // Position 256 XORs with 0 again: the position counter is one byte.
    std::vector<std::uint8_t> payload(300, 0x55);
    Scramble(payload, 777, 0, 0);
    for (std::size_t k = 0; k < payload.size(); ++k)
        ASSERT_EQ(payload[k], 0x55 ^ (k & 0xFF)) << k;
    EXPECT_EQ(payload[256], 0x55);
    EXPECT_EQ(payload[257], 0x54);
}

TEST(Permutation, UnscrambleUndoesScrambleForRandomKeys)
{
    std::mt19937 random(11);
    for (int i = 0; i < 300; ++i) {
        const std::uint32_t seed = random() % 66000, multiplier = random(), increment = random();
        const std::vector<std::uint8_t> plain = RandomBytes(random, random() % 600);
        std::vector<std::uint8_t> bytes = plain;
        Scramble(bytes, seed, multiplier, increment);
        const Permutation p = BuildPermutation(seed, multiplier, increment);
        ASSERT_TRUE(std::is_permutation(p.begin(), p.end(), kIdentity.begin()));
        Unscramble(bytes, seed, multiplier, increment);
        ASSERT_EQ(bytes, plain);
    }
}

// --- Programs ---

TEST(ScramblePrograms, TablesHaveTheStatedShape)
{
    const ScramblePrograms programs = BuildScramblePrograms();
    const std::size_t lengths[] = {11, 10, 13, 17, 10, 10, 2};
    std::set<std::uint16_t> ops;
    bool byteStride = false, nibbleStride = false;
    for (std::size_t n = 1; n <= kProgramCount; ++n) {
        const ScrambleProgram& forward = programs.Forward(n);
        const auto length = static_cast<std::size_t>(std::find(forward.begin(), forward.end(), 0) - forward.begin());
        EXPECT_EQ(length, n <= 7 ? lengths[n - 1] : 0) << "program " << n;
        EXPECT_TRUE(std::all_of(forward.begin() + static_cast<std::ptrdiff_t>(length), forward.end(),
                                [](std::uint16_t w) { return w == 0; }));
        EXPECT_EQ(programs.Inverse(n), BuildInverseProgram(forward)) << "program " << n;
        for (std::size_t i = 0; i < length; ++i) {
            ops.insert(forward[i] & kOpMask);
            byteStride |= (forward[i] & kOpMask) == kOpByteStride;
            nibbleStride |= (forward[i] & kOpMask) == kOpNibbleStride;
        }
    }
    EXPECT_EQ(ops.size(), 8u);  // every op, the do-nothing op 0 included
    EXPECT_TRUE(byteStride && nibbleStride);
    EXPECT_EQ(programs.Inverse(8)[0], 0);
}

TEST(ScramblePrograms, InverseUndoesEachProgramAtAnyLength)
{
    const ScramblePrograms programs = BuildScramblePrograms();
    std::mt19937 random(3);
    for (std::size_t n = 1; n <= 7; ++n) {
        int changed = 0;
        for (std::size_t length = 0; length < 80; ++length) {
            const std::vector<std::uint8_t> plain = RandomBytes(random, length + (length > 40 ? random() % 1200 : 0));
            std::vector<std::uint8_t> bytes = plain;
            RunProgram(bytes, programs.Forward(n), true, true, programs);
            changed += bytes != plain;
            RunProgram(bytes, programs.Inverse(n), true, false, programs);
            ASSERT_EQ(bytes, plain) << "program " << n << " length " << plain.size();
        }
        EXPECT_GT(changed, 70) << "program " << n << " should scramble";
    }
}

TEST(ScramblePrograms, InverseUndoesRandomPrograms)
{
    const ScramblePrograms programs = BuildScramblePrograms();
    std::mt19937 random(17);
    for (int i = 0; i < 3000; ++i) {
        // Up to 31 words: the inverse then always fits its 32 words.
        ScrambleProgram forward{};
        const std::size_t words = 1 + random() % 31;
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint16_t op = static_cast<std::uint16_t>((random() % 8) << 13);
            // Mostly small e and f, so strides and positions meet the data.
            const std::uint8_t e = static_cast<std::uint8_t>(random() % 4 ? random() % 9 : random() % 32);
            const std::uint8_t f = static_cast<std::uint8_t>(random() % 2 ? random() % 9 : random());
            forward[w] = ProgramWord(op, e, f);
            if (forward[w] == 0)
                forward[w] = ProgramWord(kOpXor, 0, 0x5A);
        }
        const ScrambleProgram inverse = BuildInverseProgram(forward);
        const std::vector<std::uint8_t> plain = RandomBytes(random, random() % 64);
        std::vector<std::uint8_t> bytes = plain;
        RunProgram(bytes, forward, true, true, programs);
        RunProgram(bytes, inverse, true, false, programs);
        ASSERT_EQ(bytes, plain) << "case " << i;
    }
}

TEST(ScramblePrograms, InverseLayout)
{
    auto program = [](std::initializer_list<std::uint16_t> words) {
        ScrambleProgram p{};
        std::copy(words.begin(), words.end(), p.begin());
        return p;
    };
    // Nibble stride, rotate, byte stride, add: each reversed group keeps its own stride.
    EXPECT_EQ(BuildInverseProgram(program({0x4300, 0xA101, 0x2200, 0x6005})), program({0x2200, 0x6005, 0x4300, 0xA101}));
    // An op before any stride ran under the start state, which the inverse must restore.
    EXPECT_EQ(BuildInverseProgram(program({0x6005, 0x2200, 0x8107})), program({0x2200, 0x8107, 0x2400, 0x6005}));
    // The start state is not emitted as the first word; trailing strides go.
    EXPECT_EQ(BuildInverseProgram(program({0x6005})), program({0x6005}));
    EXPECT_EQ(BuildInverseProgram(program({0x6005, 0x2300})), program({0x6005}));
    EXPECT_EQ(BuildInverseProgram(program({})), program({}));
}

TEST(ScramblePrograms, InterpreterOps)
{
    const ScramblePrograms programs = BuildScramblePrograms();
    struct Case {
        const char* what;
        std::vector<std::uint16_t> words;
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"add at 0 and 4 with the start stride", {0x6010}, "00 01 02 03 04 05", "10 01 02 03 14 05"},
        {"add wraps", {0x2100, 0x60FF}, "01 02", "00 01"},
        {"xor every second byte from 1", {0x2200, 0x81F0}, "00 00 00 00", "00 F0 00 F0"},
        {"rotate bytes by 3", {0x2100, 0xA00B}, "81", "0C"},
        {"rotate by 0 does nothing", {0x2100, 0xA008}, "81", "81"},
        {"nibble add wraps mod 16", {0x4100, 0x600F}, "21", "10"},
        {"nibble xor takes f & 0xF", {0x4200, 0x81F3}, "00 00", "30 30"},
        {"nibble rotate by f & 3", {0x4200, 0xA005}, "81", "82"},
        {"swap bytes 0 and 2 in groups of 4", {0xC002}, "01 02 03 04 05 06 07", "03 02 01 04 07 06 05"},
        {"swap stops where the partner leaves the data", {0xC002}, "01 02 03 04 05 06", "03 02 01 04 05 06"},
        {"swap backwards stops where k leaves the data", {0xC300}, "01 02 03 04 05", "04 02 03 01 05"},
        {"swap nibbles", {0x4200, 0xC001}, "12 34", "21 43"},
        {"e at or past the stride skips", {0x2200, 0x6210, 0x8220, 0xA203, 0xC201, 0xC102}, "01 02", "01 02"},
        {"stride 0 skips everything", {0x2000, 0x6010}, "01 02", "01 02"},
        {"op 0 does nothing", {0x1234, 0x0001}, "01 02", "01 02"},
    };
    for (const Case& c : cases) {
        ScrambleProgram p{};
        std::copy(c.words.begin(), c.words.end(), p.begin());
        std::vector<std::uint8_t> bytes = Hex(c.input);
        RunProgram(bytes, p, true, true, programs);
        EXPECT_EQ(ToHex(bytes), c.output) << c.what;
    }
}

TEST(ScramblePrograms, CallsRunOnlyAtTopLevel)
{
    const ScramblePrograms programs = BuildScramblePrograms();
    std::mt19937 random(5);
    const std::vector<std::uint8_t> plain = RandomBytes(random, 50);

    // Program 7 calls program 4, whose own call (program 1) must not run.
    std::vector<std::uint8_t> viaCall = plain;
    RunProgram(viaCall, programs.Forward(7), true, true, programs);
    std::vector<std::uint8_t> byHand = plain;
    RunProgram(byHand, programs.Forward(4), false, true, programs);
    for (std::size_t k = 0; k < byHand.size(); k += 4)
        byHand[k] ^= 0xB5;
    EXPECT_EQ(viaCall, byHand);

    std::vector<std::uint8_t> withNestedCall = plain;
    RunProgram(withNestedCall, programs.Forward(4), true, true, programs);
    std::vector<std::uint8_t> withoutNestedCall = plain;
    RunProgram(withoutNestedCall, programs.Forward(4), false, true, programs);
    EXPECT_NE(withNestedCall, withoutNestedCall);

    // Call 0 and calls of empty programs do nothing.
    ScrambleProgram calls{};
    calls[0] = ProgramWord(kOpCall, 0, 0);
    calls[1] = ProgramWord(kOpCall, 31, 0);
    std::vector<std::uint8_t> bytes = plain;
    RunProgram(bytes, calls, true, true, programs);
    EXPECT_EQ(bytes, plain);
}

// --- Key announcement ---

TEST(KeyAnnouncement, LayoutAndKey)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        LinkState link(seed);
        link.sequence = 9;
        link.ownAddress = 0x20000000;
        link.announcementAddress = 0;
        BusMessage a;
        a.bytes.fill(0xEE);
        BuildKeyAnnouncement(link, a);

        EXPECT_EQ(link.sequence, 0);
        EXPECT_EQ(a.Length(), kAnnouncementLength);
        EXPECT_EQ(a.Command(), 0);
        EXPECT_EQ(a.FrameFlags(), 0x81);
        EXPECT_EQ(a.Kind(), 0x80);
        EXPECT_EQ(a.Sequence(), 0);
        EXPECT_EQ(a.Operand1(), 0u);
        EXPECT_EQ(a.Operand2(), 0u);
        EXPECT_EQ(a.Source(), 0x20000000u);
        EXPECT_EQ(a.Destination(), 0u);
        EXPECT_LT(link.multiplier, 0x8000u);
        EXPECT_LT(link.increment, 0x8000u);

        const std::span<const std::uint8_t> payload = a.Payload();
        std::set<std::uint8_t> indices;
        std::set<std::size_t> valueOffsets;
        for (std::size_t offset : kAnnouncementIndexOffsets) {
            const std::uint8_t index = payload[offset];
            EXPECT_GE(index, 16);
            EXPECT_LE(index, 63);
            indices.insert(index);
            valueOffsets.insert(kAnnouncementFillerOffset + index);
        }
        ASSERT_EQ(indices.size(), 8u) << "seed " << seed;
        for (std::size_t k = 0; k < kAnnouncementFillerLength; ++k) {
            if (!valueOffsets.count(kAnnouncementFillerOffset + k)) {
                ASSERT_LE(payload[kAnnouncementFillerOffset + k], 254) << "seed " << seed;
            }
        }

        LinkState receiver(seed + 1000);
        ASSERT_TRUE(ExtractKeyParameters(receiver, a));
        EXPECT_EQ(receiver.multiplier, link.multiplier);
        EXPECT_EQ(receiver.increment, link.increment);
    }
}

TEST(KeyAnnouncement, ExtractionStaysInsideThePayload)
{
    LinkState link(4);
    BusMessage a;
    BuildKeyAnnouncement(link, a);
    LinkState receiver(5);
    receiver.multiplier = 111;
    receiver.increment = 222;
    a.SetLength(static_cast<std::uint16_t>(kAnnouncementLength - 40));  // value bytes cut off
    EXPECT_FALSE(ExtractKeyParameters(receiver, a));
    a.SetLength(20);  // index bytes cut off
    EXPECT_FALSE(ExtractKeyParameters(receiver, a));
    EXPECT_EQ(receiver.multiplier, 111u);
    EXPECT_EQ(receiver.increment, 222u);
}

}  // namespace
}  // namespace quorfw
