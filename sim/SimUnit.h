#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/SimStation.h"

namespace quorfw {

// The simulated control unit. Holds the blocks it will answer with: the 94-byte unit
// information (configuration byte, version, module addresses, kind code, module count)
// and the 64-byte extra block.
class SimUnit final : public SimStation {
public:
    static constexpr std::size_t kInformationBytes = 94;
    static constexpr std::size_t kExtraBytes = 64;
    // Offsets in the unit information block.
    static constexpr std::size_t kConfigurationOffset = 0;
    static constexpr std::size_t kVersionOffset = 16;
    static constexpr std::size_t kModuleAddressesOffset = 24;
    static constexpr std::size_t kKindCodeOffset = 85;
    static constexpr std::size_t kModuleCountOffset = 90;
    // Units of this kind code drive a Wiegand output: bytes 81-84 of the information hold
    // its lengths and OEM code, bytes 90-91 its facility code (instead of the module count).
    static constexpr std::uint8_t kWiegandKindCode = 0x0B;
    static constexpr std::size_t kConfigurationWriteBytes = 72;

    // moduleAddresses: slots 0-3 in order, as the information block lists them.
    SimUnit(const StationConfig& config, const std::vector<std::uint32_t>& moduleAddresses,
            std::uint32_t randomSeed);

    [[nodiscard]] Role role() const override { return Role::Unit; }
    [[nodiscard]] const std::array<std::uint8_t, kInformationBytes>& Information() const { return information_; }
    [[nodiscard]] const std::array<std::uint8_t, kExtraBytes>& ExtraBlock() const { return extra_; }
    // The unit configuration write (0x39 to operand 0xFFFFFFFF): a Wiegand unit keeps the
    // new lengths, OEM code, facility code and extra block, so that the next read shows
    // them. False, and nothing kept, for other units and for data not in the write's form.
    bool TakeConfiguration(std::span<const std::uint8_t> data);

private:
    std::array<std::uint8_t, kInformationBytes> information_{};
    std::array<std::uint8_t, kExtraBytes> extra_{};
};

}  // namespace quorfw
