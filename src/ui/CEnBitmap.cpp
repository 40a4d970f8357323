#include "ui/CEnBitmap.h"

#include <new>

namespace quorfw {

PixelImage32 FilledImage(ImageSize size, Rgb colour)
{
    PixelImage32 image;
    image.size = size;
    if (colour == CEnBitmap::kWhite) {
        image.bytes.assign(size.PixelCount() * PixelImage32::kBytesPerPixel, 0xFF);
        return image;
    }
    image.bytes.assign(size.PixelCount() * PixelImage32::kBytesPerPixel, 0);
    for (std::size_t o = 0; o < image.bytes.size(); o += PixelImage32::kBytesPerPixel) {
        image.bytes[o] = colour.blue;
        image.bytes[o + 1] = colour.green;
        image.bytes[o + 2] = colour.red;
    }
    return image;
}

bool CEnBitmap::Process(const std::vector<const C32BitImageProcessor*>& processors)
{
    if (!image_.Valid())
        return false;
    try {
        PixelImage32 current = image_;
        for (const C32BitImageProcessor* processor : processors) {
            if (processor == nullptr)
                return false;
            const ImageSize destSize = processor->CalcDestSize(current.size);
            if (destSize.PixelCount() == 0)
                return false;
            PixelImage32 dest = FilledImage(destSize, background_);
            if (!processor->Process(current.bytes.data(), current.size, dest.bytes.data(), dest.size))
                return false;
            current = std::move(dest);
        }
        image_ = std::move(current);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace quorfw
