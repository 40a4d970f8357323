#include "sim/SimModule.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

SimModule::SimModule(const StationConfig& config, std::uint32_t randomSeed) : SimStation(config, randomSeed)
{
    if (config.information.size() == kInformationBytes) {
        std::copy(config.information.begin(), config.information.end(), information_.begin());
        return;
    }
    WriteLe32(&information_[kVersionOffset], config.version);
    const std::size_t serialBytes = std::min(config.serial.size(), kSerialBytes);
    std::copy_n(config.serial.begin(), serialBytes, information_.begin() + kSerialOffset);
    if (!config.name.empty()) {
        information_[kFlagsOffset] |= kFlagHasName;
    }
}

void SimModule::InstallFirmware(std::uint32_t version, std::span<const std::uint8_t> configuration)
{
    std::copy_n(configuration.begin(), std::min(configuration.size(), information_.size()), information_.begin());
    WriteLe32(&information_[kVersionOffset], version);
}

}  // namespace quorfw
