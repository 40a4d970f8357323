#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/FaultRule.h"
#include "sim/SimStoreConfig.h"
#include "sim/StationConfig.h"

namespace quorfw {

// A simulated installation: a unit, up to four modules in slot order, the line speed and
// the stations' processing time (which together give the answer delays), and the fault
// script of the run.
struct InstallationConfig {
    static constexpr std::size_t kMaxModules = 4;

    std::uint32_t baud = 115200;
    std::uint32_t processingMs = 2;
    // How long a station is down when it restarts into new firmware.
    std::uint32_t restartDownMs = 3000;
    StationConfig unit;
    std::vector<StationConfig> modules;
    std::vector<FaultRule> faults;
    // Users, templates, log and unit data of the unit; none given: the demo contents.
    std::optional<SimStoreConfig> store;

    // The demo installation: a unit with a finger scanner of each kind and a keypad.
    [[nodiscard]] static InstallationConfig Default();

    friend bool operator==(const InstallationConfig&, const InstallationConfig&) = default;
};

}  // namespace quorfw
