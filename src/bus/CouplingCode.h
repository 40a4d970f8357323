#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorfw {

inline constexpr std::size_t kCouplingCodeSize = 16;
inline constexpr std::size_t kSerialLength = 14;

// The code that couples the modules to their unit, derived from the unit's serial number
// each time it is written (it is never stored). Only the first 14 characters count; a
// shorter serial number yields nothing.
[[nodiscard]] std::optional<std::array<std::uint8_t, kCouplingCodeSize>> DeriveCouplingCode(std::string_view unitSerial);

}  // namespace quorfw
