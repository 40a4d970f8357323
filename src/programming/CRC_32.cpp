#include "programming/CRC_32.h"

#include <algorithm>
#include <limits>

#include <zlib.h>

namespace quorfw {

std::uint32_t CRC_32::TableEntry(std::size_t i)
{
    return static_cast<std::uint32_t>(get_crc_table()[i & 0xFF]);
}

std::uint32_t CRC_32::Checksum(std::span<const std::uint8_t> bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes 32-bit lengths; feed larger inputs in pieces.
    constexpr std::size_t kPiece = std::numeric_limits<uInt>::max();
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kPiece);
        crc = crc32(crc, bytes.data(), static_cast<uInt>(n));
        bytes = bytes.subspan(n);
    }
    return static_cast<std::uint32_t>(crc);
}

std::uint32_t CRC_32::Register(std::span<const std::uint8_t> bytes)
{
    return ~Checksum(bytes);
}

}  // namespace quorfw
