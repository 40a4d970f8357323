#include "sim/SimUnit.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

SimUnit::SimUnit(const StationConfig& config, const std::vector<std::uint32_t>& moduleAddresses,
                 std::uint32_t randomSeed)
    : SimStation(config, randomSeed)
{
    if (config.information.size() == kInformationBytes) {
        std::copy(config.information.begin(), config.information.end(), information_.begin());
    } else {
        information_[kConfigurationOffset] = config.configuration;
        WriteLe32(&information_[kVersionOffset], config.version);
        std::uint16_t count = 0;
        for (std::size_t slot = 0; slot < moduleAddresses.size() && slot < 4; ++slot) {
            WriteLe32(&information_[kModuleAddressesOffset + 4 * slot], moduleAddresses[slot]);
            count = static_cast<std::uint16_t>(count + (moduleAddresses[slot] != 0 ? 1 : 0));
        }
        information_[kKindCodeOffset] = config.kindCode;
        WriteLe16(&information_[kModuleCountOffset], count);
    }
    if (config.extraBlock.size() == kExtraBytes) {
        std::copy(config.extraBlock.begin(), config.extraBlock.end(), extra_.begin());
    }
}

bool SimUnit::TakeConfiguration(std::span<const std::uint8_t> data)
{
    constexpr std::uint8_t kFormat = 2;
    constexpr std::size_t kExtraOffset = 8;
    if (information_[kKindCodeOffset] != kWiegandKindCode || data.size() != kConfigurationWriteBytes ||
        data[0] != kFormat) {
        return false;
    }
    information_[82] = data[1];
    information_[83] = data[2];
    information_[81] = data[3];
    information_[84] = data[4];
    information_[kModuleCountOffset] = data[6];
    information_[kModuleCountOffset + 1] = data[7];
    std::copy_n(data.begin() + kExtraOffset, kExtraBytes, extra_.begin());
    return true;
}

}  // namespace quorfw
