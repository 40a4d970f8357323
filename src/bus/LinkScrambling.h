#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "bus/BusMessage.h"
#include "bus/ScramblePrograms.h"

namespace quorfw {

struct LinkState;

using Permutation = std::array<std::uint8_t, 16>;

// Number of generator steps a seed asks for: 12 to 31.
[[nodiscard]] std::uint32_t PermutationIterations(std::uint32_t seed);
// The nibble permutation of a seed under the key (multiplier, increment).
[[nodiscard]] Permutation BuildPermutation(std::uint32_t seed, std::uint32_t multiplier, std::uint32_t increment);

// The seed of a scrambled message: (seedLow << 8 | seedHigh) + sequence, not truncated.
[[nodiscard]] std::uint32_t MessageSeed(const BusMessage& message);

// Payload scrambling: nibble substitution, then XOR with the position (mod 256).
void Scramble(std::span<std::uint8_t> payload, std::uint32_t seed, std::uint32_t multiplier, std::uint32_t increment);
void Unscramble(std::span<std::uint8_t> payload, std::uint32_t seed, std::uint32_t multiplier,
                std::uint32_t increment);

// Instruction word of a program: op (top three bits), e (5 bits) and f (8 bits).
inline constexpr std::uint16_t kOpByteStride = 0x2000;
inline constexpr std::uint16_t kOpNibbleStride = 0x4000;
inline constexpr std::uint16_t kOpAdd = 0x6000;
inline constexpr std::uint16_t kOpXor = 0x8000;
inline constexpr std::uint16_t kOpRotate = 0xA000;
inline constexpr std::uint16_t kOpSwap = 0xC000;
inline constexpr std::uint16_t kOpCall = 0xE000;
inline constexpr std::uint16_t kOpMask = 0xE000;

[[nodiscard]] constexpr std::uint16_t ProgramWord(std::uint16_t op, std::uint8_t e, std::uint8_t f)
{
    return static_cast<std::uint16_t>(op | ((e & 0x1F) << 8) | f);
}

// The program interpreter. A call runs program e of the same direction from `programs`,
// and only when `topLevel`; the called program runs with fresh state and cannot call again.
void RunProgram(std::span<std::uint8_t> bytes, const ScrambleProgram& program, bool topLevel, bool forward,
                const ScramblePrograms& programs);

// The program that, run in the inverse direction, undoes `forward` run in the forward direction.
[[nodiscard]] ScrambleProgram BuildInverseProgram(const ScrambleProgram& forward);

// Key announcement payload layout: where the eight index bytes sit.
inline constexpr std::size_t kAnnouncementLength = 91;
inline constexpr std::size_t kAnnouncementFillerOffset = 9;  // payload offset of the 64 filler bytes
inline constexpr std::size_t kAnnouncementFillerLength = 64;
inline constexpr std::array<std::size_t, 8> kAnnouncementIndexOffsets = {12, 14, 17, 18, 20, 22, 23, 24};
inline constexpr std::uint8_t kAnnouncementFirstIndex = 16;
inline constexpr std::uint8_t kAnnouncementIndexSpan = 48;

// Fills a new key announcement: resets the sequence counter, draws a new key into the link
// and hides it in random filler. Source and destination are the link's own and announcement
// addresses.
void BuildKeyAnnouncement(LinkState& link, BusMessage& announcement);
// Takes the key out of an accepted message with command 0. False (key unchanged) when an
// index points past the message's payload.
[[nodiscard]] bool ExtractKeyParameters(LinkState& link, const BusMessage& message);

}  // namespace quorfw
