#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorfw {

// Deterministic stand-ins for firmware, made of a mix of noise, repeated code-like runs
// and filler so that they compress about as well as real firmware does.
[[nodiscard]] std::vector<std::uint8_t> GenerateFirmwareBytes(std::size_t size, std::uint32_t seed);

// Where a module image of a given firmware version keeps its checksum, the start of the
// summed range and its configuration area; the word at offset 0x20 ends the summed range.
struct ModuleImageLayout {
    std::size_t checksumOffset;
    std::size_t sumStart;
    std::size_t configOffset;
};
inline constexpr std::size_t kModuleImageSumEndOffset = 0x20;
inline constexpr std::size_t kModuleConfigAreaSize = 4 + 388;  // flag word + information block
[[nodiscard]] ModuleImageLayout ModuleImageLayoutFor(std::uint32_t version);

// A module image that module programming can patch: firmware bytes with the end of the
// summed range (the image end) at 0x20, a zeroed configuration area and a valid checksum
// for the layout of `version`. Empty when `size` is too small for the layout.
[[nodiscard]] std::vector<std::uint8_t> GenerateModuleImage(std::size_t size, std::uint32_t seed, std::uint32_t version);

// The wrapping sum of the little-endian words from `start` to `end` (a final partial word
// counts as a whole word, its missing bytes zero); 0 when `end` is not above `start`.
[[nodiscard]] std::uint32_t ModuleImageChecksum(const std::vector<std::uint8_t>& image, std::size_t start,
                                                std::size_t end);

// A plain settings block in the module information block's layout (at least 388 bytes),
// with the "settings valid" bit (bit 2 of byte 265) set.
[[nodiscard]] std::vector<std::uint8_t> GenerateSettingsBlock(std::size_t size, std::uint32_t seed);

}  // namespace quorfw
