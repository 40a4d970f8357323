#include "programming/CRC_32.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>
#include <vector>

namespace quorfw {
namespace {

std::uint32_t Reflect(std::uint32_t value, int bits)
{
    std::uint32_t out = 0;
    for (int i = 0; i < bits; ++i)
        if (value & (1u << i))
            out |= 1u << (bits - 1 - i);
    return out;
}

// The table as the described construction makes it, from the polynomial in normal form.
std::array<std::uint32_t, 256> NormalFormTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = Reflect(i, 8) << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = Reflect(r, 32);
    }
    return table;
}

TEST(CRC_32, CheckValuesAndRegister)
{
    constexpr std::string_view text = "123456789";
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(CRC_32::Checksum(bytes), 0xCBF43926u);
    EXPECT_EQ(CRC_32::Register(bytes), ~0xCBF43926u);
    EXPECT_EQ(CRC_32::Checksum({}), 0u);
    EXPECT_EQ(CRC_32::Register({}), 0xFFFFFFFFu);
}

TEST(CRC_32, TableAndChecksumMatchTheDescribedConstruction)
{
    const auto table = NormalFormTable();
    EXPECT_EQ(CRC_32::TableEntry(1), 0x77073096u);
    EXPECT_EQ(CRC_32::TableEntry(128), 0xEDB88320u);
    for (std::size_t i = 0; i < 256; ++i)
        ASSERT_EQ(CRC_32::TableEntry(i), table[i]) << i;

    std::mt19937 random(32);
    for (int n = 0; n < 50; ++n) {
        std::vector<std::uint8_t> bytes(random() % 5000);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        std::uint32_t r = 0xFFFFFFFF;
        for (std::uint8_t b : bytes)
            r = (r >> 8) ^ table[(r ^ b) & 0xFF];
        ASSERT_EQ(CRC_32::Register(bytes), r);
        ASSERT_EQ(CRC_32::Checksum(bytes), ~r);
    }
}

}  // namespace
}  // namespace quorfw
