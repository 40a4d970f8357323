#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "bus/BusSession.h"
#include "common/Clock.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"

namespace quorfw {

// A session on a simulated installation behind the simulated converter, in virtual time.
struct DiscoveryTestBench {
    explicit DiscoveryTestBench(const InstallationConfig& config = InstallationConfig::Default(), std::uint64_t seed = 1)
        : installation(std::make_shared<SimInstallation>(config, seed)),
          converter(clock, installation),
          session(converter, clock, 7)
    {
        EXPECT_TRUE(converter.Open(SimConverter::kId, 115200));
    }

    SimCommandSet& Commands() { return installation->Commands(); }
    SimUnitStore& Store() { return installation->Commands().Store(); }

    // The requests a station understood, oldest first, that satisfy `keep`.
    std::vector<BusMessage> RequestsTo(std::uint32_t station,
                                       const std::function<bool(const BusMessage&)>& keep = nullptr) const
    {
        std::vector<BusMessage> found;
        for (const SimRequestRecord& record : installation->Requests()) {
            if (record.station == station && (!keep || keep(record.message))) {
                found.push_back(record.message);
            }
        }
        return found;
    }

    std::vector<BusMessage> CommandsTo(std::uint32_t station, std::uint8_t command) const
    {
        return RequestsTo(station,
                          [command](const BusMessage& m) { return !m.IsHeaderOnly() && m.Command() == command; });
    }

    // Discards what was logged so far, so a test looks only at what follows.
    void ForgetTraffic() { installation->ClearLogs(); }

    VirtualClock clock;
    std::shared_ptr<SimInstallation> installation;
    SimConverter converter;
    BusSession session;
};

inline StationConfig SimStationAt(std::uint32_t address, std::uint32_t version, const char* serial)
{
    StationConfig station;
    station.address = address;
    station.version = version;
    station.serial = serial;
    return station;
}

// A unit that lists its modules (type 3 by its information) and the given modules.
inline InstallationConfig UnitWithModules(std::vector<StationConfig> modules)
{
    InstallationConfig config = InstallationConfig::Default();
    config.modules = std::move(modules);
    return config;
}

}  // namespace quorfw
