#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/SimTransferReceiver.h"

namespace quorfw {

class FaultPlan;
class SimModule;
class SimStation;
class SimUnit;

// The stations' side of firmware programming: every station takes in transfers (start,
// blocks, end, commit) through its own SimTransferReceiver, and a station with a verified
// image restarts into it. A module restarts when the tool's module text (command 0x1E with
// a non-zero operand1) or a restart command (0x64, operand2 0xABCD0002) follows the
// verified image; the unit restarts right after its verified "IE" image. A restart is a
// down window of the installation's restart time, after which the station has lost its
// link key and identifies with the new version: the one written into the image's
// configuration area or device container, else the station's `versionAfterUpdate` (unit
// and keypad images carry none), else its old version. A station with a `restartDelayMs`
// goes on answering with its old firmware for that long after it verified the image, and
// restarts then at the earliest.
class SimFirmwareUpdates {
public:
    static constexpr std::uint32_t kRestartOperand = 0xABCD0002;

    SimFirmwareUpdates(SimUnit& unit, const std::vector<SimModule*>& modules, FaultPlan& faults,
                       std::uint32_t restartDownMs);

    // Restarts asked for by the requests handled so far start their down window now.
    void ScheduleRestarts(std::uint64_t nowUs);
    // A station is back from a power cycle at atMs: it runs the image it verified before; a
    // transfer it was still taking in is lost.
    void Restarted(SimStation& station, std::uint64_t atMs);

    // What a station last restarted into: when (installation time), the unpacked image,
    // where that image keeps the information block the tool wrote (if anywhere), and the
    // version it identifies with since.
    struct Install {
        std::uint64_t atMs = 0;
        std::vector<std::uint8_t> image;
        std::optional<std::size_t> informationOffset;
        std::uint32_t version = 0;
    };
    [[nodiscard]] const Install* LastInstall(std::uint32_t address) const;

    // The receiver of the station with that address; null for unknown addresses.
    [[nodiscard]] SimTransferReceiver* Receiver(std::uint32_t address);
    // How many images the station has restarted into.
    [[nodiscard]] std::uint32_t Installs(std::uint32_t address) const;

private:
    void RegisterTransfers(SimStation& station);
    void RegisterModuleRestarts(SimModule& module);
    [[nodiscard]] std::uint32_t RestartDelayMs(std::uint32_t address) const;

    SimUnit& unit_;
    std::vector<SimModule*> modules_;
    FaultPlan& faults_;
    std::uint32_t restartDownMs_;
    std::map<std::uint32_t, SimTransferReceiver> receivers_;
    std::map<std::uint32_t, std::uint32_t> installs_;
    std::map<std::uint32_t, Install> lastInstall_;
    std::vector<std::uint32_t> dueRestarts_;
    // Stations whose image was verified by the request being handled, and when each
    // station's image was verified.
    std::vector<std::uint32_t> justVerified_;
    std::map<std::uint32_t, std::uint64_t> verifiedAtMs_;
};

}  // namespace quorfw
