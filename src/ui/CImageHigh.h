#pragma once

#include "ui/C32BitImageProcessor.h"

namespace quorfw {

// Hue, lightness and saturation of a colour, each lightness and saturation 0-1, hue 0-360.
struct Hls {
    double hue = 0;
    double lightness = 0;
    double saturation = 0;
};

[[nodiscard]] Hls RgbToHls(Rgb colour);
// Each channel truncated to an integer.
[[nodiscard]] Rgb HlsToRgb(const Hls& hls);

// Changes the lightness of every pixel that is not the mask colour by a fixed amount, kept
// within 0-1; a pixel already at the limit the amount pushes towards keeps its colour.
class CImageHigh : public C32BitImageProcessor {
public:
    CImageHigh(double amount, bool useMask = false, Rgb maskColour = {})
        : C32BitImageProcessor(useMask, maskColour), amount_(amount)
    {
    }

    [[nodiscard]] double Amount() const { return amount_; }
    [[nodiscard]] Rgb Lighten(Rgb colour) const;

protected:
    void ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const override;

private:
    double amount_;
};

}  // namespace quorfw
