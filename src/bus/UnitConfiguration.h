#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorfw {

class BusSession;

inline constexpr std::size_t kUnitConfigurationBytes = 72;

// The 72 data bytes of the unit configuration write, from the session's unit information
// and extra blocks: 2; information bytes 82, 83, 81, 84; 0; information bytes 90-91; the
// 64-byte extra block.
[[nodiscard]] std::array<std::uint8_t, kUnitConfigurationBytes> UnitConfigurationData(const BusSession& session);

// Writes the unit configuration (Wiegand settings and the extra block) to the unit. Up to
// four attempts, the first answer decides: true when it is 0x81.
[[nodiscard]] bool WriteUnitConfiguration(BusSession& session);

}  // namespace quorfw
