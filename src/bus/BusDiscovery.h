#pragma once

#include <cstdint>

namespace quorfw {

class BusSession;

// Results of WaitForUnit.
inline constexpr std::uint32_t kUnitAnswered = 0;
inline constexpr std::uint32_t kBusSilent = 1;
inline constexpr std::uint32_t kTrafficWithoutUnit = 3;

// What PollModule returns when it gives up.
inline constexpr std::uint8_t kPollGaveUp = 0xFF;
inline constexpr std::uint8_t kUnitSlot = 0xFF;

// Roll call in four passes (scrambled and compact link, each from the tool's default
// address and then from 0xA0000001). Leaves the session in the link mode and own address
// of the pass that heard a station, with the unit's address and up to four module slots
// entered in the order they answered. False after four silent passes or when a poll
// cannot be sent.
[[nodiscard]] bool ScanBus(BusSession& session);

// Listens for a unit (a 0x2… sender) announcing itself to a 0xA… address and answers it.
// kUnitAnswered, kBusSilent (seven empty listens in a row, or the time ran out without any frame) or
// kTrafficWithoutUnit.
[[nodiscard]] std::uint32_t WaitForUnit(BusSession& session, std::uint32_t timeMs);

// Polls a module slot 0-3 or the unit (kUnitSlot) until it answers, and returns the
// answer code (a poll acknowledgement also updates pollLimit). kPollGaveUp after 30 s,
// when the session is closed, for any other slot, or when the unit was heard on the bus
// but then stayed silent.
[[nodiscard]] std::uint8_t PollModule(BusSession& session, std::uint8_t slot);

}  // namespace quorfw
