#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "sim/SimStation.h"

namespace quorfw {

// A simulated module behind the unit: a finger scanner or reader with a 404-byte
// information block, or (addresses 0x8...) a keypad that only identifies itself.
class SimModule final : public SimStation {
public:
    static constexpr std::size_t kInformationBytes = 404;
    // Offsets in the information block.
    static constexpr std::size_t kVersionOffset = 8;
    static constexpr std::size_t kSerialOffset = 16;
    static constexpr std::size_t kSerialBytes = 14;
    static constexpr std::size_t kFlagsOffset = 265;
    static constexpr std::uint8_t kFlagHasName = 0x08;

    SimModule(const StationConfig& config, std::uint32_t randomSeed);

    [[nodiscard]] Role role() const override { return Role::Module; }
    // Keypads (0x8... addresses) answer the identity command only.
    [[nodiscard]] bool IsKeypad() const { return (Address() >> 28) == 0x8; }
    [[nodiscard]] const std::array<std::uint8_t, kInformationBytes>& Information() const { return information_; }
    // Restarted into new firmware: its version, and the leading information bytes its image
    // carried in its configuration area (none for images without one).
    void InstallFirmware(std::uint32_t version, std::span<const std::uint8_t> configuration);

private:
    std::array<std::uint8_t, kInformationBytes> information_{};
};

}  // namespace quorfw
