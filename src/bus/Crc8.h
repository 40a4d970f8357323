#pragma once

#include <cstdint>
#include <span>

namespace quorfw {

// The payload checksum of the bus: polynomial 0x85, most significant bit first, initial
// value 0, no reflection, no final XOR. "123456789" gives 0x2A.
[[nodiscard]] std::uint8_t Crc8(std::span<const std::uint8_t> bytes);

}  // namespace quorfw
