#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorfw {

// The six opaque blocks of unit data: their backup tag, size and the data-block selectors
// under which the unit reads and writes them (the numbers differ between the directions).
struct UnitDataBlockShape {
    std::uint16_t tag;
    std::size_t size;
    std::uint32_t readSelector;
    std::uint32_t writeSelector;
};

inline constexpr std::size_t kUnitBlock2ShortSize = 17;
inline constexpr std::size_t kUnitBlock2LongSize = 33;
inline constexpr std::size_t kPageAreaSize = 1188;
inline constexpr std::size_t kPageSize = 512;

inline constexpr UnitDataBlockShape UnitBlock1{1, 104, 3, 4};
// Size of the newer form; older units use kUnitBlock2ShortSize.
inline constexpr UnitDataBlockShape UnitBlock2{2, kUnitBlock2LongSize, 4, 5};
inline constexpr UnitDataBlockShape UnitBlock3{3, 40, 2, 3};
inline constexpr UnitDataBlockShape UnitBlock4{4, 1, 8, 8};
inline constexpr UnitDataBlockShape UnitBlock9{9, 161, 9, 9};
inline constexpr UnitDataBlockShape UnitBlock10{10, kPageAreaSize, 10, 10};

inline constexpr std::uint32_t kUserListReadSelector = 1;
inline constexpr std::uint32_t kUserWriteSelector = 1;
inline constexpr std::uint32_t kLogListReadSelector = 5;

// The newer form of unit block 2 built from the older one: the 17 bytes, then 16 zeros.
[[nodiscard]] std::array<std::uint8_t, kUnitBlock2LongSize> WidenUnitBlock2(
    std::span<const std::uint8_t, kUnitBlock2ShortSize> shortForm);

}  // namespace quorfw
