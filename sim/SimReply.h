#pragma once

#include "bus/BusMessage.h"

namespace quorfw {

// What a station answers to one request: a full answer (a filled message), or a bare
// header that says busy or refused.
struct SimReply {
    enum class Kind { Full, Busy, Refused };

    Kind kind = Kind::Full;
    BusMessage message;
};

}  // namespace quorfw
