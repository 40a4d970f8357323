#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorfw {

class BusSession;

inline constexpr std::size_t kCouplingCodeSize = 16;
inline constexpr std::size_t kSerialLength = 14;

// The code that couples the modules to their unit, derived from the unit's serial number
// each time it is written (it is never stored). Only the first 14 characters count; a
// shorter serial number yields nothing.
[[nodiscard]] std::optional<std::array<std::uint8_t, kCouplingCodeSize>> DeriveCouplingCode(std::string_view unitSerial);

// Parameter 460 of a module: the coupling code.
inline constexpr std::uint32_t kCouplingCodeParameter = 460;

// Sends the code of the unit's serial number to every module slot whose address has any of
// bits 28-30 set. Each must answer 0x81; four unanswered attempts over all modules together
// make it fail, and so does a unit serial number shorter than 14 characters (nothing sent).
[[nodiscard]] bool WriteCouplingCode(BusSession& session);

}  // namespace quorfw
