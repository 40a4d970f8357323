#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quorfw {

// A control unit's package image is a composite of two encrypted containers:
// [L1: u32 LE][L2: u32 LE][part 1: L1 bytes][part 2: L2 bytes, may be empty].
inline constexpr std::size_t kUnitImageLength1Offset = 0;
inline constexpr std::size_t kUnitImageLength2Offset = 4;
inline constexpr std::size_t kUnitImageHeaderSize = 8;
static_assert(kUnitImageLength2Offset + 4 == kUnitImageHeaderSize);

struct UnitImage {
    std::span<const std::uint8_t> part1;
    std::span<const std::uint8_t> part2;
};

// The two parts, or nothing when the lengths do not add up to the image exactly.
[[nodiscard]] std::optional<UnitImage> SplitUnitImage(std::span<const std::uint8_t> image);

}  // namespace quorfw
