#include "packages/PackageCipher.h"

#include <array>
#include <random>
#include <vector>

#include <crypto++/algparam.h>
#include <crypto++/argnames.h>
#include <crypto++/rc6.h>
#include <gtest/gtest.h>

#include "tests/packages/PackageTestSupport.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

TEST(PackageCipherKey, DerivesKeyBitsFromKeyWordBits)
{
    struct Case {
        std::uint32_t keyWord;
        std::uint32_t key;
    };
    const Case cases[] = {
        {0x00000000, 0x00000000},
        {0x0000000F, 0x00000000},  // padding bits carry no key material
        {0xFF000000, 0x000000FF},  // bits 24-31 -> key bits 0-7
        {0x000000F0, 0xF0000000},  // bits 4-7 -> key bits 28-31
        {0x00001000, 0x00000010},  // bit 12 -> key bit 4
        {0x10000000, 0x00000010},  // bit 28 -> key bit 4
        {0x10001000, 0x00000010},  // both land on the same key bit
        {0x00FFEF00, 0x00000000},  // every other bit is dropped
        {0x12345678, 0x70000012},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackageCipher::DeriveKey(c.keyWord), c.key) << std::hex << c.keyWord;
    }
}

TEST(PackageCipherKey, Bit28WithOrWithoutBit12GivesTheSameRoundKeys)
{
    PackageCipher with;
    PackageCipher without;
    with.SetKey(0x4A001000 | 0x10000000);
    without.SetKey(0x4A000000 | 0x10000000);
    EXPECT_EQ(with.RoundKeys(), without.RoundKeys());

    PackageCipher other;
    other.SetKey(0x4A000000);
    EXPECT_NE(other.RoundKeys(), without.RoundKeys());
}

// Crypto++ was written by nobody here: its RC6 with 16 rounds and a 4-byte key must agree
// with ours in both directions, for random keys and blocks.
TEST(PackageCipherOracle, AgreesWithIndependentRc6InBothDirections)
{
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 200; ++trial) {
        const std::uint32_t keyWord = static_cast<std::uint32_t>(random()) & 0xFFFFFFF0u;
        const std::uint32_t key = PackageCipher::DeriveKey(keyWord);
        const CryptoPP::byte keyBytes[4] = {static_cast<CryptoPP::byte>(key), static_cast<CryptoPP::byte>(key >> 8),
                                            static_cast<CryptoPP::byte>(key >> 16),
                                            static_cast<CryptoPP::byte>(key >> 24)};
        CryptoPP::RC6::Encryption encryption;
        CryptoPP::RC6::Decryption decryption;
        encryption.UncheckedSetKey(keyBytes, 4, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 16));
        decryption.UncheckedSetKey(keyBytes, 4, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 16));

        PackageCipher cipher;
        cipher.SetKey(keyWord);
        // 19 blocks: two groups of vector lanes plus a scalar tail.
        const std::vector<std::uint8_t> plain = test::RandomBytes(19 * 16, static_cast<std::uint32_t>(random()));

        std::vector<std::uint8_t> ours = plain;
        cipher.Apply(ours.data(), ours.size());
        std::vector<std::uint8_t> theirs(plain.size());
        for (std::size_t i = 0; i < plain.size(); i += 16) {
            encryption.ProcessBlock(plain.data() + i, theirs.data() + i);
        }
        ASSERT_EQ(ours, theirs) << "key word " << std::hex << keyWord;

        std::vector<std::uint8_t> inverse = plain;
        ApplyInverse(cipher, inverse.data(), inverse.size());
        for (std::size_t i = 0; i < plain.size(); i += 16) {
            decryption.ProcessBlock(plain.data() + i, theirs.data() + i);
        }
        ASSERT_EQ(inverse, theirs) << "key word " << std::hex << keyWord;
    }
}

TEST(PackageCipherApply, VectorAndPortablePathsAgreeForEveryBlockCount)
{
    PackageCipher cipher;
    cipher.SetKey(0xC0FFEE00);
    for (std::size_t blocks = 0; blocks <= 40; ++blocks) {
        const std::vector<std::uint8_t> plain = test::RandomBytes(blocks * 16, static_cast<std::uint32_t>(blocks));
        std::vector<std::uint8_t> fast = plain;
        std::vector<std::uint8_t> portable = plain;
        cipher.Apply(fast.data(), fast.size());
        cipher.ApplyPortable(portable.data(), portable.size());
        ASSERT_EQ(fast, portable) << blocks << " blocks";
        if (blocks > 0) {
            ASSERT_NE(fast, plain);
        }
    }
}

TEST(PackageCipherApply, LeavesATrailingPartialBlockAlone)
{
    PackageCipher cipher;
    cipher.SetKey(0x11111110);
    std::vector<std::uint8_t> data = test::RandomBytes(16 * 17 + 5, 7);
    const std::vector<std::uint8_t> before = data;
    cipher.Apply(data.data(), data.size());
    EXPECT_NE(std::vector<std::uint8_t>(data.begin(), data.begin() + 16 * 17),
              std::vector<std::uint8_t>(before.begin(), before.begin() + 16 * 17));
    EXPECT_EQ(std::vector<std::uint8_t>(data.end() - 5, data.end()), std::vector<std::uint8_t>(before.end() - 5, before.end()));
}

}  // namespace
}  // namespace quorfw
