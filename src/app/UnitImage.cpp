#include "app/UnitImage.h"

#include "common/LittleEndian.h"

namespace quorfw {

std::optional<UnitImage> SplitUnitImage(std::span<const std::uint8_t> image)
{
    if (image.size() < kUnitImageHeaderSize) {
        return std::nullopt;
    }
    const std::uint64_t length1 = ReadLe32(image.data() + kUnitImageLength1Offset);
    const std::uint64_t length2 = ReadLe32(image.data() + kUnitImageLength2Offset);
    // 64-bit sums: two huge lengths must not wrap around to the image size.
    if (kUnitImageHeaderSize + length1 + length2 != image.size()) {
        return std::nullopt;
    }
    UnitImage parts;
    parts.part1 = image.subspan(kUnitImageHeaderSize, static_cast<std::size_t>(length1));
    parts.part2 = image.subspan(kUnitImageHeaderSize + static_cast<std::size_t>(length1));
    return parts;
}

}  // namespace quorfw
