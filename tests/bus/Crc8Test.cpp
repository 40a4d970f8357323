#include "bus/Crc8.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

namespace quorfw {
namespace {

// The checksum bit by bit, as the polynomial defines it, to hold the table against.
std::uint8_t BitwiseCrc8(const std::vector<std::uint8_t>& bytes)
{
    std::uint8_t crc = 0;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x85 : crc << 1);
    }
    return crc;
}

TEST(Crc8, CheckValueAndEmpty)
{
    constexpr std::string_view text = "123456789";
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(Crc8(bytes), 0x2A);
    EXPECT_EQ(Crc8({}), 0);
}

TEST(Crc8, TableMatchesBitwiseDefinition)
{
    std::mt19937 random(8);
    for (int i = 0; i < 200; ++i) {
        std::vector<std::uint8_t> bytes(random() % 300);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        ASSERT_EQ(Crc8(bytes), BitwiseCrc8(bytes));
    }
}

}  // namespace
}  // namespace quorfw
