#pragma once

#include <cstdint>

#include "ui/PixelImage32.h"

namespace quorfw {

// An image processor over 32-bit pixels (blue, green, red, fourth byte; rows top-down). With
// the mask switched on, a pixel whose colour equals the mask colour is copied unchanged, so a
// transparent background survives every filter. The base keeps the size and copies the pixels.
class C32BitImageProcessor {
public:
    explicit C32BitImageProcessor(bool useMask = false, Rgb maskColour = {}) : useMask_(useMask), mask_(maskColour) {}
    virtual ~C32BitImageProcessor() = default;

    [[nodiscard]] virtual ImageSize CalcDestSize(ImageSize source) const { return source; }

    // source and dest hold the pixels of sourceSize and destSize; false when they do not fit.
    [[nodiscard]] virtual bool Process(const std::uint8_t* source, ImageSize sourceSize, std::uint8_t* dest,
                                       ImageSize destSize) const;

    [[nodiscard]] bool IsMaskColour(Rgb colour) const { return useMask_ && colour == mask_; }

protected:
    // Runs ProcessPixel over every pixel of equal-sized images, masked pixels copied unchanged.
    [[nodiscard]] bool ProcessEachPixel(const std::uint8_t* source, ImageSize sourceSize, std::uint8_t* dest,
                                        ImageSize destSize) const;
    // Writes the four destination bytes of one pixel that is not the mask colour.
    virtual void ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const;

private:
    bool useMask_;
    Rgb mask_;
};

// The toolbar strip's transparent colour.
inline constexpr Rgb kToolbarMaskColour{255, 0, 255};

}  // namespace quorfw
