#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorfw {

class BusSession;

// Waits and limits of a transfer, in milliseconds or attempts.
namespace transfertiming {
inline constexpr std::uint32_t kBeforeStartMs = 200;
inline constexpr std::uint32_t kStartAttempts = 3;
inline constexpr std::uint32_t kBeforeStartSendMs = 300;
inline constexpr std::uint32_t kAfterStartMs = 300;
inline constexpr std::uint32_t kBeforeBlocksMs = 1000;
inline constexpr std::uint32_t kBlockTimeoutMs = 50;
inline constexpr std::uint32_t kBlockDelayMs = 50;
inline constexpr std::uint32_t kAfterBlockMs = 50;
inline constexpr std::uint32_t kAfterUnansweredBlockMs = 50;
inline constexpr std::uint32_t kMaxUnansweredBlocks = 100;
inline constexpr std::uint32_t kAfterHoldMs = 50;
inline constexpr std::uint32_t kEndTimeoutMs = 500;
inline constexpr std::uint32_t kEndDelayMs = 50;
inline constexpr std::uint32_t kCommitTimeoutMs = 200;
inline constexpr std::uint32_t kCommitDelayMs = 50;
inline constexpr std::uint32_t kCommitLimitMs = 20000;
inline constexpr std::uint32_t kAfterUnansweredCommitMs = 100;
// Progress is shown for images above this size.
inline constexpr std::size_t kProgressThreshold = 10000;
}  // namespace transfertiming

// Why a transfer failed, for the log: which step, which block, what the target said.
struct TransferFailure {
    enum class Step : std::uint8_t { None, Refused, Start, Block, End, Commit, Closed };

    Step step = Step::None;
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    // The answer code that ended it, or -1 when it ended without one.
    int answer = -1;

    // "block 12 @0x2580: answer 0x85", "start: no answer", ...
    [[nodiscard]] std::string Text() const;
};

// Moves one firmware image into the unit (slot 0xFF, kUnitSlot) or a module (slot 0-3); the name
// picks the mode: "IE" the unit's controller, "keypad" a keypad, anything else an archive
// that the module verifies and commits. True when the target accepted the whole image.
// Nothing is sent for an invalid slot, an empty image or a unit whose firmware cannot be
// transferred. `failure`, when given, says why a transfer failed.
[[nodiscard]] bool TransferImage(BusSession& session, std::span<const std::uint8_t> image, std::string_view name,
                                 std::uint8_t slot, TransferFailure* failure = nullptr);

}  // namespace quorfw
