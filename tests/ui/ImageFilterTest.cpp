#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "ui/CEnBitmap.h"
#include "ui/CImageGrayer.h"
#include "ui/CImageHigh.h"
#include "ui/ToolbarImages.h"

namespace quorfw {
namespace {

PixelImage32 OnePixel(Rgb colour, std::uint8_t fourth = 0x5A)
{
    PixelImage32 image = FilledImage({1, 1}, {});
    image.Set(0, 0, colour, fourth);
    return image;
}

Rgb RunOne(const std::vector<const C32BitImageProcessor*>& processors, Rgb colour)
{
    CEnBitmap bitmap(OnePixel(colour));
    EXPECT_TRUE(bitmap.Process(processors));
    return bitmap.Image().At(0, 0);
}

const CImageGrayer kGrayer(true, kToolbarMaskColour);
const CImageHigh kNormal(0.04, true, kToolbarMaskColour);
const CImageHigh kStep(0.01, true, kToolbarMaskColour);
const std::vector<const C32BitImageProcessor*> kDisabledChain{&kGrayer, &kStep, &kStep, &kStep};

struct FilterCase {
    const char* what;
    Rgb in;
    Rgb gray;
    Rgb normal;    // +0.04
    Rgb disabled;  // gray, then +0.01 three times
};

// Expected values worked out from the HLS formulas (every channel truncated), cross-checked
// against an independent HLS implementation.
const FilterCase kFilterCases[] = {
    {"magenta is the mask", {255, 0, 255}, {255, 0, 255}, {255, 0, 255}, {255, 0, 255}},
    {"white", {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}},
    {"black", {0, 0, 0}, {0, 0, 0}, {10, 10, 10}, {6, 6, 6}},
    {"red", {255, 0, 0}, {76, 76, 76}, {255, 20, 20}, {82, 82, 82}},
    {"green", {0, 255, 0}, {153, 153, 153}, {20, 255, 20}, {159, 159, 159}},
    {"blue keeps its place", {0, 0, 255}, {25, 25, 25}, {20, 20, 255}, {31, 31, 31}},
    {"orange: hue from the red maximum", {255, 128, 0}, {153, 153, 153}, {255, 138, 20}, {159, 159, 159}},
    {"near white is capped at 1", {250, 250, 250}, {250, 250, 250}, {255, 255, 255}, {255, 255, 255}},
    {"magenta's neighbour is not masked", {255, 0, 254}, {101, 101, 101}, {255, 20, 254}, {107, 107, 107}},
};

TEST(ImageFilterTest, GrayLighterAndDisabledChainPerColour)
{
    for (const FilterCase& c : kFilterCases) {
        EXPECT_EQ(RunOne({&kGrayer}, c.in), c.gray) << c.what;
        EXPECT_EQ(RunOne({&kNormal}, c.in), c.normal) << c.what;
        EXPECT_EQ(RunOne(kDisabledChain, c.in), c.disabled) << c.what;
    }
}

TEST(ImageFilterTest, FourthByteZeroedByGrayKeptByMask)
{
    CEnBitmap red(OnePixel({255, 0, 0}, 0x5A));
    ASSERT_TRUE(red.Process({&kGrayer}));
    EXPECT_EQ(red.Image().bytes[3], 0);

    CEnBitmap magenta(OnePixel(kToolbarMaskColour, 0x5A));
    ASSERT_TRUE(magenta.Process(kDisabledChain));
    EXPECT_EQ(magenta.Image().bytes, (std::vector<std::uint8_t>{255, 0, 255, 0x5A}));
}

TEST(ImageFilterTest, MaskSwitchedOffFiltersMagentaToo)
{
    const CImageGrayer unmasked;
    EXPECT_EQ(RunOne({&unmasked}, kToolbarMaskColour), (Rgb{102, 102, 102}));
}

TEST(ImageFilterTest, NegativeAmountDarkensAndStopsAtBlack)
{
    const CImageHigh darker(-0.04);
    EXPECT_EQ(RunOne({&darker}, {255, 255, 255}), (Rgb{244, 244, 244}));
    EXPECT_EQ(RunOne({&darker}, {0, 0, 0}), (Rgb{0, 0, 0}));
    EXPECT_EQ(RunOne({&darker}, {255, 0, 0}), (Rgb{234, 0, 0}));
}

// Asks for twice the width and writes only the left half, so the right half shows the fill.
class LeftHalfProcessor : public C32BitImageProcessor {
public:
    ImageSize CalcDestSize(ImageSize source) const override { return {source.width * 2, source.height}; }
    bool Process(const std::uint8_t* source, ImageSize sourceSize, std::uint8_t* dest, ImageSize) const override
    {
        for (int y = 0; y < sourceSize.height; ++y)
            for (int x = 0; x < sourceSize.width * 4; ++x)
                dest[(y * sourceSize.width * 2) * 4 + x] = source[(y * sourceSize.width) * 4 + x];
        return true;
    }
};

class FailingProcessor : public C32BitImageProcessor {
public:
    bool Process(const std::uint8_t*, ImageSize, std::uint8_t*, ImageSize) const override { return false; }
};

TEST(ImageFilterTest, PipelineFillsNewBuffersWithTheBackgroundAndChainsSizes)
{
    const LeftHalfProcessor widen;
    const struct {
        Rgb background;
        std::vector<std::uint8_t> fill;
    } cases[] = {
        {CEnBitmap::kWhite, {0xFF, 0xFF, 0xFF, 0xFF}},
        {{0, 0, 0}, {0, 0, 0, 0}},
        {{0x11, 0x22, 0x33}, {0x33, 0x22, 0x11, 0}},
    };
    for (const auto& c : cases) {
        CEnBitmap bitmap(OnePixel({1, 2, 3}, 4), c.background);
        ASSERT_TRUE(bitmap.Process({&widen, &widen}));
        ASSERT_EQ(bitmap.Image().size, (ImageSize{4, 1}));
        const auto& b = bitmap.Image().bytes;
        EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 4), (std::vector<std::uint8_t>{3, 2, 1, 4}));
        for (int px = 1; px < 4; ++px)
            EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + px * 4, b.begin() + px * 4 + 4), c.fill) << px;
    }
}

TEST(ImageFilterTest, FailureLeavesTheBitmapUnchanged)
{
    const FailingProcessor failing;
    CEnBitmap bitmap(OnePixel({9, 8, 7}));
    const std::vector<std::uint8_t> before = bitmap.Image().bytes;
    EXPECT_FALSE(bitmap.Process({&kGrayer, &failing}));
    EXPECT_EQ(bitmap.Image().bytes, before);

    CEnBitmap empty;
    EXPECT_FALSE(empty.Process({&kGrayer}));
    EXPECT_FALSE(bitmap.Process({nullptr}));
    EXPECT_EQ(bitmap.Image().bytes, before);
}

TEST(ImageFilterTest, ToolbarImagesFromOneStrip)
{
    PixelImage32 strip = FilledImage({4, 2}, kToolbarMaskColour);
    strip.Set(1, 0, {255, 0, 0});
    strip.Set(3, 1, {0, 0, 0});
    EXPECT_EQ(ToolbarButtonCount(strip.size), 2);
    EXPECT_EQ(ToolbarButtonCount({384, 32}), 12);

    ToolbarImages images;
    ASSERT_TRUE(BuildToolbarImages(strip, images));
    EXPECT_EQ(images.hot.bytes, strip.bytes);
    EXPECT_EQ(images.normal.At(1, 0), (Rgb{255, 20, 20}));
    EXPECT_EQ(images.normal.At(3, 1), (Rgb{10, 10, 10}));
    EXPECT_EQ(images.disabled.At(1, 0), (Rgb{82, 82, 82}));
    EXPECT_EQ(images.disabled.At(0, 0), kToolbarMaskColour);
    EXPECT_EQ(images.normal.At(2, 1), kToolbarMaskColour);

    EXPECT_FALSE(BuildToolbarImages(PixelImage32{}, images));
}

}  // namespace
}  // namespace quorfw
