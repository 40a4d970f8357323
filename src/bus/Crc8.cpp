#include "bus/Crc8.h"

#include <array>

namespace quorfw {
namespace {

constexpr std::uint8_t kCrc8Polynomial = 0x85;

constexpr std::array<std::uint8_t, 256> MakeCrc8Table()
{
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? ((crc << 1) ^ kCrc8Polynomial) : (crc << 1);
        table[i] = static_cast<std::uint8_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kCrc8Table = MakeCrc8Table();

}  // namespace

std::uint8_t Crc8(std::span<const std::uint8_t> bytes)
{
    std::uint8_t crc = 0;
    for (std::uint8_t b : bytes)
        crc = kCrc8Table[b ^ crc];
    return crc;
}

}  // namespace quorfw
