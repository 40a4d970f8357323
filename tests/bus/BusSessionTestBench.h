#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "bus/BusMessage.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "common/Clock.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"

namespace quorfw::sessiontest {

// Virtual time with a hook after every sleep, so a test can act "while the tool waits"
// (close the session at a given moment, for instance).
class HookedClock final : public Clock {
public:
    std::uint64_t NowMs() override { return inner_.NowMs(); }
    void SleepMs(std::uint32_t ms) override
    {
        inner_.SleepMs(ms);
        if (afterSleep) {
            afterSleep(inner_.NowMs());
        }
    }
    std::chrono::system_clock::time_point WallTime() override { return inner_.WallTime(); }

    std::function<void(std::uint64_t nowMs)> afterSleep;

private:
    VirtualClock inner_;
};

// A session on the simulated converter in virtual time, with the unit and modules of the
// installation entered as discovery would enter them.
struct SessionBench {
    explicit SessionBench(const InstallationConfig& config = InstallationConfig::Default(), std::uint64_t seed = 7)
        : installation(std::make_shared<SimInstallation>(config, seed)), converter(clock, installation),
          session(converter, clock, 1234)
    {
        EXPECT_TRUE(converter.Open(SimConverter::kId, 115200));
        session.unit.present = 1;
        session.unit.address = config.unit.address;
        for (std::size_t i = 0; i < config.modules.size(); ++i) {
            session.modules[i].present = 1;
            session.modules[i].address = config.modules[i].address;
        }
        session.moduleCount = static_cast<std::int32_t>(config.modules.size());
    }

    // A poll (continue request) from the session's own address, scrambled on a scrambled link.
    BusMessage Poll(std::uint32_t destination, std::uint8_t kind = kKindSeedScrambled)
    {
        BusMessage m;
        FillRequest(session.link, m, 27, session.link.ownAddress, destination, 0x22, 0, 0, 0x81, kind);
        return m;
    }

    // Requests a station understood, optionally only those with one command (header-only
    // requests count as command -1).
    std::vector<BusMessage> Received(std::uint32_t station, int command = -2) const
    {
        std::vector<BusMessage> out;
        for (const SimRequestRecord& r : installation->Requests()) {
            const int code = r.message.IsHeaderOnly() ? -1 : r.message.Command();
            if (r.station == station && (command == -2 || code == command)) {
                out.push_back(r.message);
            }
        }
        return out;
    }

    std::size_t Announcements(std::uint32_t station) const { return Received(station, 0x00).size(); }

    std::uint32_t ModuleAddress(std::size_t slot) const { return installation->Config().modules.at(slot).address; }

    HookedClock clock;
    std::shared_ptr<SimInstallation> installation;
    SimConverter converter;
    BusSession session;
};

}  // namespace quorfw::sessiontest
