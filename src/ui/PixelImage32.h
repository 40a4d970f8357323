#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorfw {

// One colour as the filters see it; also the layout of a pixel's first three bytes, reversed.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct ImageSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const ImageSize&, const ImageSize&) = default;
    [[nodiscard]] std::size_t PixelCount() const
    {
        return width > 0 && height > 0 ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0;
    }
};

// A 32-bit image, rows top-down, each pixel four bytes: blue, green, red and a fourth byte.
struct PixelImage32 {
    static constexpr std::size_t kBytesPerPixel = 4;

    ImageSize size;
    std::vector<std::uint8_t> bytes;  // size.PixelCount() * 4

    [[nodiscard]] bool Valid() const { return size.PixelCount() > 0 && bytes.size() == size.PixelCount() * kBytesPerPixel; }

    [[nodiscard]] std::size_t Offset(int x, int y) const
    {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width) + static_cast<std::size_t>(x)) *
               kBytesPerPixel;
    }
    [[nodiscard]] Rgb At(int x, int y) const
    {
        const std::size_t o = Offset(x, y);
        return {bytes[o + 2], bytes[o + 1], bytes[o]};
    }
    void Set(int x, int y, Rgb colour, std::uint8_t fourth = 0)
    {
        const std::size_t o = Offset(x, y);
        bytes[o] = colour.blue;
        bytes[o + 1] = colour.green;
        bytes[o + 2] = colour.red;
        bytes[o + 3] = fourth;
    }
};

}  // namespace quorfw
