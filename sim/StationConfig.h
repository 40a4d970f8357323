#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorfw {

// Answer kinds a station can use: plain, scrambled with the seed permutation, or run
// through one of the scrambling programs 1-7.
inline constexpr std::uint8_t kAnswerPlain = 0xC0;
inline constexpr std::uint8_t kAnswerSeedScrambled = 0x80;

// How one simulated station (the unit or a module) is set up. Blocks left empty are built
// from the fields when the station is created.
struct StationConfig {
    std::uint32_t address = 0;
    // Identity answer operand2: family in the top 16 bits, variant letter in the low byte.
    std::uint32_t hardwareCode = 0;
    std::uint32_t version = 0;
    std::string serial;
    // Unit only: information block byte 0 and the kind code at byte 85.
    std::uint8_t configuration = 0;
    std::uint8_t kindCode = 0;
    // Unit: 94 bytes; module: 404 bytes. Empty: built from version, serial and addresses.
    std::vector<std::uint8_t> information;
    // Unit only: the 64-byte extra block. Empty: zeros.
    std::vector<std::uint8_t> extraBlock;
    // Module only: the name answered to the name read; empty when it has none.
    std::string name;
    // kAnswerPlain, kAnswerSeedScrambled, or a program number 1-7.
    std::uint8_t answerKind = kAnswerSeedScrambled;
    // Answer code to a key announcement: 0x82 accepted, 0x80 asks for another one.
    std::uint8_t announceAnswer = 0x82;
    // Poll acknowledgement operand2.
    std::uint32_t pollLimit = 0;
    // The version the station comes back with after a firmware update whose image names
    // none (unit and keypad images); 0 keeps the old version.
    std::uint32_t versionAfterUpdate = 0;
    // How long the station goes on running (and answering with) its old firmware after it
    // has verified a new image, before it restarts into it; 0 restarts as soon as told.
    std::uint32_t restartDelayMs = 0;

    friend bool operator==(const StationConfig&, const StationConfig&) = default;
};

}  // namespace quorfw
