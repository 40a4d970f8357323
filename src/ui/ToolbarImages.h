#pragma once

#include "ui/PixelImage32.h"

namespace quorfw {

// The toolbar's three image strips, all derived from one strip of square button images
// drawn on magenta (which every filter leaves alone, so it stays the transparent colour).
struct ToolbarImages {
    PixelImage32 hot;       // the strip unchanged, shown under the mouse
    PixelImage32 disabled;  // gray, then 0.01 lighter three times
    PixelImage32 normal;    // 0.04 lighter
};

// False when the strip holds no pixels.
[[nodiscard]] bool BuildToolbarImages(const PixelImage32& strip, ToolbarImages& out);

// How many square buttons of the strip's height it holds side by side.
[[nodiscard]] int ToolbarButtonCount(ImageSize stripSize);

}  // namespace quorfw
