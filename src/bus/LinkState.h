#pragma once

#include <atomic>
#include <cstdint>
#include <random>

#include "bus/BusMessage.h"
#include "bus/ScramblePrograms.h"

namespace quorfw {

// The link fields of a session that the frame codec reads and writes: mode, sequence
// counter, in-sync flag, scrambling key and programs, addresses and the random source.
// No transport and no clock: the codec is pure bytes over this state. A bus station of the
// simulator holds one too, for the key it learns and the answers it scrambles.
struct LinkState {
    // Seeds the random source from the system's entropy.
    LinkState();
    // A fixed random seed, so that seeds, keys and filler are reproducible in tests.
    explicit LinkState(std::uint32_t randomSeed);

    LinkState(const LinkState&) = delete;
    LinkState& operator=(const LinkState&) = delete;

    std::uint8_t linkMode = LINK_SCRAMBLED;
    bool inSync = false;
    std::uint8_t sequence = 0;
    std::uint32_t multiplier = 0;
    std::uint32_t increment = 0;
    // Written by the window thread to stop the worker; read by the codec before every frame.
    std::atomic<std::uint32_t> state{kStateOpen};
    ScramblePrograms programs;
    std::uint32_t announcementAddress = 0;
    std::uint32_t ownAddress = 0x20000000;
    std::mt19937 random;

    // A uniform 15-bit value (seeds, keys).
    [[nodiscard]] std::uint16_t Random15();
    // A uniform value below `bound` (bound > 0).
    [[nodiscard]] std::uint32_t RandomBelow(std::uint32_t bound);
};

}  // namespace quorfw
