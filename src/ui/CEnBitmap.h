#pragma once

#include <vector>

#include "ui/C32BitImageProcessor.h"
#include "ui/PixelImage32.h"

namespace quorfw {

// A bitmap that runs a sequence of image processors over its pixels. Each processor writes
// into a fresh buffer of the size it asks for, filled with the background colour first, and
// its result is the next one's input.
class CEnBitmap {
public:
    static constexpr Rgb kWhite{255, 255, 255};

    CEnBitmap() = default;
    explicit CEnBitmap(PixelImage32 image, Rgb background = kWhite) : image_(std::move(image)), background_(background) {}

    [[nodiscard]] const PixelImage32& Image() const { return image_; }
    [[nodiscard]] Rgb Background() const { return background_; }

    // False, with the bitmap unchanged, when there are no pixels, a processor fails or a
    // buffer cannot be had.
    [[nodiscard]] bool Process(const std::vector<const C32BitImageProcessor*>& processors);

private:
    PixelImage32 image_;
    Rgb background_ = kWhite;
};

// A buffer of size filled with colour (fourth byte 0; white and black fill every byte).
[[nodiscard]] PixelImage32 FilledImage(ImageSize size, Rgb colour);

}  // namespace quorfw
