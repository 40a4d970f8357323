#pragma once

#include <cstdint>
#include <optional>

namespace quorfw {

class BusSession;

// Module parameters the tool writes back after a firmware update.
inline constexpr std::uint32_t kParameterWord = 112;
inline constexpr std::uint32_t kParameter208 = 208;
inline constexpr std::uint32_t kParameter218 = 218;
inline constexpr std::uint32_t kParameter256 = 256;
inline constexpr std::uint32_t kParameter270 = 270;

// One byte parameter, from 0x90000001; `lastOfSet` marks the final write of a set (frame
// flags 0x82). Six attempts; true on an answer 0x81.
[[nodiscard]] bool WriteModuleParameter(BusSession& session, std::uint32_t address, std::uint32_t number,
                                        std::uint8_t value, bool lastOfSet = false);

// The one word parameter (112), in the same way.
[[nodiscard]] bool WriteModuleParameterWord(BusSession& session, std::uint32_t address, std::uint32_t value);

// Writes a slot's saved settings back (parameters 270, 208, 218, 112, then 256 as the last).
// Only for a present slot 0-3 that is not a keypad and holds saved settings: false when the
// slot does not qualify, true when the writes were sent (their answers are not examined).
[[nodiscard]] bool ApplySlotSettings(BusSession& session, std::uint8_t slot);

// The same writes, and whether every one of them was acknowledged; nothing when the slot
// does not qualify. All five are sent even when one goes unanswered.
[[nodiscard]] std::optional<bool> WriteBackSlotSettings(BusSession& session, std::uint8_t slot);

}  // namespace quorfw
