#pragma once

#include <cstdint>
#include <span>

namespace quorfw {

class BusSession;

// Reads one template from module slot 0-3 into the session's template buffer, part by part.
// Fails when the module refuses, answers nothing in its first answer, goes silent between
// parts, or the template outgrows the 2000-byte buffer.
[[nodiscard]] bool ReadTemplate(BusSession& session, std::uint8_t slot, std::uint32_t templateSelector);

// Writes one part of a template to every present module that takes the selector's group
// (group 12: address bit 31; other groups: any of bits 28-30). Each must answer 0x81 or
// 0x05; four unanswered attempts over all modules together make it fail. With no such
// module there is nothing to write and the call succeeds.
[[nodiscard]] bool WriteTemplate(BusSession& session, std::uint32_t templateSelector, std::uint32_t part,
                                 std::span<const std::uint8_t> bytes);

}  // namespace quorfw
