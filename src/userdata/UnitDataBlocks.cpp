#include "userdata/UnitDataBlocks.h"

#include <algorithm>

namespace quorfw {

std::array<std::uint8_t, kUnitBlock2LongSize> WidenUnitBlock2(std::span<const std::uint8_t, kUnitBlock2ShortSize> shortForm)
{
    std::array<std::uint8_t, kUnitBlock2LongSize> longForm{};
    std::copy(shortForm.begin(), shortForm.end(), longForm.begin());
    return longForm;
}

}  // namespace quorfw
