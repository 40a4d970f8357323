#include "bus/TransactionFailure.h"

namespace quorfw {

const char* TransactionFailure::Text(Kind kind)
{
    switch (kind) {
    case Kind::None:
        return "ok";
    case Kind::NotOpen:
        return "session not open";
    case Kind::TooLong:
        return "request too long";
    case Kind::SendFailed:
        return "send failed";
    case Kind::NoAnswer:
        return "no answer";
    case Kind::Busy:
        return "busy";
    case Kind::Refused:
        return "refused";
    }
    return "unknown";
}

}  // namespace quorfw
