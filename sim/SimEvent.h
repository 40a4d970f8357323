#pragma once

#include <cstdint>

namespace quorfw {

// One thing that happened on the simulated bus, in installation time. The event list of a
// run is what reproducibility is judged by.
struct SimEvent {
    enum class Type : std::uint8_t {
        Request,        // a station understood a request (code: its command)
        Undecodable,    // the addressed station could not read the frame (detail: reason)
        Unanswered,     // the station understood the request but has nothing to say
        Silent,         // the addressed station heard nothing (silence or restart)
        Answer,         // an answer left the station (code; detail: frame bytes)
        Busy,           // a header-only busy answer left the station
        Refused,        // a header-only refused answer left the station
        Dropped,        // an answer was lost on the way
        Corrupted,      // an answer was damaged (detail: bytes changed)
        Garbage,        // noise arrived before an answer (detail: bytes)
        Foreign,        // an answer from another address arrived first (detail: that address)
        WindowBegins,   // a silence or restart window opened (detail: rule index)
        WindowEnds,     // it closed; a restarted station is back without its key
    };

    std::uint64_t timeUs = 0;
    Type type = Type::Request;
    std::uint32_t station = 0;
    std::uint8_t code = 0;
    std::uint32_t detail = 0;

    friend bool operator==(const SimEvent&, const SimEvent&) = default;
};

}  // namespace quorfw
