#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quorfw {

// A module image as it goes to the transfer: LZO1F at level 999, or the raw bytes when
// compression would not make them smaller (the module tells the two apart itself).
struct PackedImage {
    std::vector<std::uint8_t> bytes;
    bool compressed = false;
};

[[nodiscard]] PackedImage CompressImage(std::span<const std::uint8_t> image);

}  // namespace quorfw
