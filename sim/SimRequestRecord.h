#pragma once

#include <cstdint>

#include "bus/BusMessage.h"

namespace quorfw {

// A request as the addressed station understood it (unscrambled, header expanded), when it
// had fully arrived. Tests assert on these rather than on the tool's internals.
struct SimRequestRecord {
    std::uint64_t timeUs = 0;
    std::uint32_t station = 0;
    BusMessage message;
};

}  // namespace quorfw
