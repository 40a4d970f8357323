#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/ModuleIdentity.h"
#include "common/Clock.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"
#include "sim/FrameRecorder.h"
#include "sim/StationLink.h"
#include "tools/PackageWriter.h"

namespace quorfw {

// The simulated default installation (a unit of type 3; slot 0 a finger scanner of type 5,
// slot 1 one of type 6, slot 2 a keypad) behind the simulated converter, in virtual time,
// with a session that has scanned it, read every station and announced its key.
struct ProgrammingBench {
    static constexpr std::uint32_t kScanner5 = 0x70123456;
    static constexpr std::uint32_t kScanner6 = 0x50234567;
    static constexpr std::uint32_t kKeypad = 0x80345678;
    static constexpr std::uint32_t kPackageKey = 0x3C5A9870;

    explicit ProgrammingBench(InstallationConfig config = InstallationConfig::Default(), std::uint64_t seed = 1)
        : installation(std::make_shared<SimInstallation>(config, seed)),
          converter(clock, installation),
          recorder(converter),
          session(recorder, clock, static_cast<std::uint32_t>(seed) * 7 + 1)
    {
        EXPECT_TRUE(converter.Open(SimConverter::kId, 115200));
    }

    // What every worker does before it programs anything.
    [[nodiscard]] bool Connect()
    {
        if (!ScanBus(session) || !ReadModuleInfo(session, kUnitInformationSlot))
            return false;
        for (std::uint8_t slot = 0; slot < session.moduleCount; ++slot) {
            if (!ReadModuleInfo(session, slot))
                return false;
        }
        return session.AnnounceLinkKey(BusSession::kAnnounceAll);
    }

    SimTransferReceiver& Receiver(std::uint32_t address) { return *installation->Firmware().Receiver(address); }

    std::vector<BusMessage> CommandsTo(std::uint32_t station, std::uint8_t command) const
    {
        std::vector<BusMessage> found;
        for (const SimRequestRecord& r : installation->Requests()) {
            if (r.station == station && !r.message.IsHeaderOnly() && r.message.Command() == command)
                found.push_back(r.message);
        }
        return found;
    }

    // Asks the module until it answers its identity again after a restart (at most 20 s, as
    // the update run does).
    [[nodiscard]] bool AwaitIdentity(std::uint8_t slot)
    {
        const std::uint64_t startMs = clock.NowMs();
        while (clock.NowMs() - startMs < 20000) {
            (void)session.AnnounceLinkKey(slot == kIdentifyUnit ? BusSession::kAnnounceUnitOnly : slot);
            if (Identify(session, slot))
                return true;
        }
        return false;
    }

    // The requests the tool wrote since `first`, read with the session's current key
    // (the way a station that holds it reads them); frames it cannot read are left out.
    std::vector<BusMessage> WrittenRequests(std::size_t first = 0)
    {
        StationLink reader(1);
        reader.Link().multiplier = session.link.multiplier;
        reader.Link().increment = session.link.increment;
        std::vector<BusMessage> requests;
        for (std::size_t i = first; i < recorder.written.size(); ++i) {
            BusMessage m;
            if (reader.DecodeRequest(recorder.written[i], m) == DecodeResult::Accepted)
                requests.push_back(m);
        }
        return requests;
    }

    static std::vector<std::uint8_t> Seal(std::span<const std::uint8_t> plain)
    {
        return EncryptContainer(plain, kPackageKey, ContainerHeader::Long);
    }

    VirtualClock clock;
    std::shared_ptr<SimInstallation> installation;
    SimConverter converter;
    FrameRecorder recorder;
    BusSession session;
};

}  // namespace quorfw
