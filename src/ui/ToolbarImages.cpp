#include "ui/ToolbarImages.h"

#include "ui/CEnBitmap.h"
#include "ui/CImageGrayer.h"
#include "ui/CImageHigh.h"

namespace quorfw {

bool BuildToolbarImages(const PixelImage32& strip, ToolbarImages& out)
{
    if (!strip.Valid())
        return false;
    const CImageGrayer grayer(true, kToolbarMaskColour);
    const CImageHigh slightlyLighter(0.01, true, kToolbarMaskColour);
    const CImageHigh lighter(0.04, true, kToolbarMaskColour);

    CEnBitmap disabled(strip);
    CEnBitmap normal(strip);
    if (!disabled.Process({&grayer, &slightlyLighter, &slightlyLighter, &slightlyLighter}) ||
        !normal.Process({&lighter}))
        return false;
    out.hot = strip;
    out.disabled = disabled.Image();
    out.normal = normal.Image();
    return true;
}

int ToolbarButtonCount(ImageSize stripSize)
{
    if (stripSize.height <= 0 || stripSize.width <= 0)
        return 0;
    return stripSize.width / stripSize.height;
}

}  // namespace quorfw
