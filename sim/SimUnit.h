#pragma once

#include <array>
#include <cstdint>
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

    // moduleAddresses: slots 0-3 in order, as the information block lists them.
    SimUnit(const StationConfig& config, const std::vector<std::uint32_t>& moduleAddresses,
            std::uint32_t randomSeed);

    [[nodiscard]] Role role() const override { return Role::Unit; }
    [[nodiscard]] const std::array<std::uint8_t, kInformationBytes>& Information() const { return information_; }
    [[nodiscard]] const std::array<std::uint8_t, kExtraBytes>& ExtraBlock() const { return extra_; }

private:
    std::array<std::uint8_t, kInformationBytes> information_{};
    std::array<std::uint8_t, kExtraBytes> extra_{};
};

}  // namespace quorfw
