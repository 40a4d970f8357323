#include "ui/CImageGrayer.h"

namespace quorfw {

void CImageGrayer::ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const
{
    const unsigned blue = sourcePixel[0];
    const unsigned green = sourcePixel[1];
    const unsigned red = sourcePixel[2];
    const auto gray = static_cast<std::uint8_t>((blue + 6 * green + 3 * red) / 10);
    destPixel[0] = gray;
    destPixel[1] = gray;
    destPixel[2] = gray;
    destPixel[3] = 0;
}

}  // namespace quorfw
