#pragma once

#include <cstdint>
#include <optional>

namespace quorfw {

// What a fault does to the simulated bus.
enum class FaultType {
    Drop,     // the station's answer never reaches the converter
    Corrupt,  // `count` bytes of the answer frame are flipped
    Garbage,  // `count` random bytes arrive before the answer frame
    Busy,     // the station answers busy `count` times before it answers
    Refuse,   // the station answers refused
    Silence,  // the station (or the whole bus) hears nothing from fromMs until untilMs
    Restart,  // the station goes down at fromMs, is back at untilMs without its link key
    Foreign,  // `count` copies of the answer from another station (`address`) arrive first
};

// One line of a fault script. A rule applies to the requests (or answers) of one station
// and one command, or of all when those are not given. It fires on the nth match when nth
// is set, otherwise with the given probability; Silence and Restart are windows in
// installation time instead.
struct FaultRule {
    FaultType type = FaultType::Drop;
    std::optional<std::uint32_t> station;
    std::optional<std::uint8_t> command;
    double probability = 1.0;
    std::uint32_t nth = 0;
    std::uint32_t count = 1;
    std::uint64_t fromMs = 0;
    std::uint64_t untilMs = 0;
    // Foreign: the source address the foreign answers carry; the answer's own with bit 0
    // flipped when not given.
    std::optional<std::uint32_t> address;

    friend bool operator==(const FaultRule&, const FaultRule&) = default;
};

}  // namespace quorfw
