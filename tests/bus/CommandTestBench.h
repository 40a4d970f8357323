#pragma once

#include "bus/BusDiscovery.h"
#include "bus/ModuleIdentity.h"
#include "tests/bus/DiscoveryTestBench.h"

namespace quorfw {

// A bench connected as the workers connect: scan, key, unit identity and information, and
// the information of every module; the traffic so far is forgotten.
struct CommandTestBench : DiscoveryTestBench {
    explicit CommandTestBench(const InstallationConfig& config = InstallationConfig::Default())
        : DiscoveryTestBench(config)
    {
        EXPECT_TRUE(ScanBus(session));
        EXPECT_TRUE(session.AnnounceLinkKey(BusSession::kAnnounceAll));
        EXPECT_TRUE(Identify(session, kIdentifyUnit));
        EXPECT_TRUE(ReadModuleInfo(session, kUnitInformationSlot));
        for (std::int32_t slot = 0; slot < session.moduleCount; ++slot) {
            EXPECT_TRUE(ReadModuleInfo(session, static_cast<std::uint8_t>(slot)));
        }
        ForgetTraffic();
    }

    // Every answer of `station` to `command` is lost from the `nth` on (all when 0).
    void DropAnswers(std::uint32_t station, std::uint8_t command, std::uint32_t nth = 0)
    {
        FaultRule drop;
        drop.type = FaultType::Drop;
        drop.station = station;
        drop.command = command;
        drop.nth = nth;
        installation->Faults().Add(drop);
    }
};

inline constexpr std::uint32_t kUnitAddress = 0x21000001;
inline constexpr std::uint32_t kScannerOld = 0x70123456;
inline constexpr std::uint32_t kScanner = 0x50234567;
inline constexpr std::uint32_t kKeypad = 0x80345678;

}  // namespace quorfw
