#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorfw {

// The standard CRC-32 (IEEE 802.3, as in zip and zlib) that protects firmware blocks and
// whole images in a transfer. Stateless: the lookup table is a constant.
class CRC_32 {
public:
    // Entry i (0..255) of the reflected table of polynomial 0xEDB88320.
    [[nodiscard]] static std::uint32_t TableEntry(std::size_t i);
    // The CRC of `bytes`: register 0xFFFFFFFF, one table step per byte, final inversion.
    [[nodiscard]] static std::uint32_t Checksum(std::span<const std::uint8_t> bytes);
    // The register before the final inversion (the bitwise NOT of Checksum), which the
    // archive commit carries.
    [[nodiscard]] static std::uint32_t Register(std::span<const std::uint8_t> bytes);
};

}  // namespace quorfw
