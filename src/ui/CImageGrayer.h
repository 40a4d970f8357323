#pragma once

#include "ui/C32BitImageProcessor.h"

namespace quorfw {

// Turns every pixel that is not the mask colour gray: (blue + 6 green + 3 red) / 10 in all
// three channels, the fourth byte 0.
class CImageGrayer : public C32BitImageProcessor {
public:
    using C32BitImageProcessor::C32BitImageProcessor;

protected:
    void ProcessPixel(const std::uint8_t* sourcePixel, std::uint8_t* destPixel) const override;
};

}  // namespace quorfw
