#include "ui/C32BitImageProcessor.h"

#include <algorithm>

namespace quorfw {

bool C32BitImageProcessor::Process(const std::uint8_t* source, ImageSize sourceSize, std::uint8_t* dest,
                                   ImageSize destSize) const
{
    return ProcessEachPixel(source, sourceSize, dest, destSize);
}

bool C32BitImageProcessor::ProcessEachPixel(const std::uint8_t* source, ImageSize sourceSize, std::uint8_t* dest,
                                            ImageSize destSize) const
{
    if (source == nullptr || dest == nullptr || sourceSize != destSize || sourceSize.PixelCount() == 0)
        return false;
    const std::size_t count = sourceSize.PixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* in = source + i * PixelImage32::kBytesPerPixel;
        std::uint8_t* out = dest + i * PixelImage32::kBytesPerPixel;
        if (IsMaskColour(Rgb{in[2], in[1], in[0]}))
            std::copy(in, in + PixelImage32::kBytesPerPixel, out);
        else
            ProcessPixel(in, out);
    }
    return true;
}

void C32BitImageProcessor::ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const
{
    std::copy(sourcePixel, sourcePixel + PixelImage32::kBytesPerPixel, destPixel);
}

}  // namespace quorfw
