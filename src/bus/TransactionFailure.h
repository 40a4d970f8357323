#pragma once

#include <cstdint>

namespace quorfw {

// Why the last transaction of a session returned nothing, so that a log line can say
// "no answer" or "refused" for the block and address it was about. Read it right after
// the call: the next transaction replaces it.
struct TransactionFailure {
    enum class Kind : std::uint8_t {
        None,        // the transaction succeeded (or none ran yet)
        NotOpen,     // the session was not open, or was closed while waiting
        TooLong,     // the request is longer than a transaction takes, or cannot be framed
        SendFailed,  // the transport did not take the request
        NoAnswer,    // the attempts ran out without a full answer from the addressed station
        Busy,        // the attempts ran out while the station kept answering busy
        Refused,     // the station refused the request
    };

    Kind kind = Kind::None;
    // frameFlags of the last header-only answer from the addressed station; 0 when none came.
    std::uint8_t lastAnswerFlags = 0;
    // Answer waits used before the failure.
    std::uint8_t attempts = 0;

    // Short fixed text for log lines ("no answer", "refused", ...).
    [[nodiscard]] static const char* Text(Kind kind);
    [[nodiscard]] const char* Text() const { return Text(kind); }
};

}  // namespace quorfw
