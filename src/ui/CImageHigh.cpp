#include "ui/CImageHigh.h"

#include <algorithm>

namespace quorfw {

namespace {

// One channel of the hexcone back-conversion; hue in degrees, any value.
double HueToChannel(double m1, double m2, double hue)
{
    while (hue >= 360)
        hue -= 360;
    while (hue < 0)
        hue += 360;
    if (hue < 60)
        return m1 + (m2 - m1) * hue / 60;
    if (hue < 180)
        return m2;
    if (hue < 240)
        return m1 + (m2 - m1) * (240 - hue) / 60;
    return m1;
}

std::uint8_t ToChannel(double value01)
{
    const double scaled = std::clamp(value01, 0.0, 1.0) * 255.0;
    return static_cast<std::uint8_t>(scaled);  // truncated, as the filter is specified
}

}  // namespace

Hls RgbToHls(Rgb colour)
{
    const int red = colour.red;
    const int green = colour.green;
    const int blue = colour.blue;
    const int maxC = std::max({red, green, blue});
    const int minC = std::min({red, green, blue});
    Hls hls;
    hls.lightness = (maxC + minC) / 510.0;
    if (maxC == minC)
        return hls;
    const double delta = maxC - minC;
    hls.saturation = hls.lightness <= 0.5 ? delta / (maxC + minC) : delta / (510.0 - maxC - minC);
    double hue = 0;
    if (maxC == red)
        hue = (green - blue) / delta;
    else if (maxC == green)
        hue = 2 + (blue - red) / delta;
    else
        hue = 4 + (red - green) / delta;
    hue *= 60;
    if (hue < 0)
        hue += 360;
    hls.hue = hue;
    return hls;
}

Rgb HlsToRgb(const Hls& hls)
{
    if (hls.saturation == 0) {
        const std::uint8_t gray = ToChannel(hls.lightness);
        return {gray, gray, gray};
    }
    const double l = hls.lightness;
    const double s = hls.saturation;
    const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    return {ToChannel(HueToChannel(m1, m2, hls.hue + 120)), ToChannel(HueToChannel(m1, m2, hls.hue)),
            ToChannel(HueToChannel(m1, m2, hls.hue - 120))};
}

Rgb CImageHigh::Lighten(Rgb colour) const
{
    Hls hls = RgbToHls(colour);
    if (amount_ > 0 && hls.lightness < 1)
        hls.lightness = std::min(hls.lightness + amount_, 1.0);
    else if (amount_ < 0 && hls.lightness > 0)
        hls.lightness = std::max(hls.lightness + amount_, 0.0);
    else
        return colour;
    return HlsToRgb(hls);
}

void CImageHigh::ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const
{
    const Rgb out = Lighten(Rgb{sourcePixel[2], sourcePixel[1], sourcePixel[0]});
    destPixel[0] = out.blue;
    destPixel[1] = out.green;
    destPixel[2] = out.red;
    destPixel[3] = sourcePixel[3];
}

}  // namespace quorfw
