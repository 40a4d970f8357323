#include "sim/SimFirmwareUpdates.h"

#include <algorithm>

#include "bus/BusCommandCodes.h"
#include "sim/FaultPlan.h"
#include "sim/SimModule.h"
#include "sim/SimUnit.h"
#include "sim/StationLink.h"

namespace quorfw {
namespace {

std::optional<BusMessage> AnswerWith(const BusMessage& request, const SimTransferReceiver::Answer& a)
{
    BusMessage answer;
    if (!StationLink::FillAnswer(request, answer, a.code, a.operand1, a.operand2))
        return std::nullopt;
    return answer;
}

}  // namespace

SimFirmwareUpdates::SimFirmwareUpdates(SimUnit& unit, const std::vector<SimModule*>& modules, FaultPlan& faults,
                                       std::uint32_t restartDownMs)
    : unit_(unit), modules_(modules), faults_(faults), restartDownMs_(restartDownMs)
{
    RegisterTransfers(unit_);
    for (SimModule* module : modules_) {
        RegisterTransfers(*module);
        RegisterModuleRestarts(*module);
    }
}

void SimFirmwareUpdates::RegisterTransfers(SimStation& station)
{
    const std::uint32_t address = station.Address();
    SimTransferReceiver& receiver = receivers_[address];
    const bool isUnit = &station == &unit_;
    for (const std::uint8_t command : {kCmdTransferStart, kCmdTransferBlock, kCmdTransferEnd, kCmdImageCommit}) {
        station.Handle(command, [this, &receiver, address, isUnit](const BusMessage& request) -> std::optional<BusMessage> {
            const bool wasVerified = receiver.ImageVerified();
            const auto answer = receiver.OnRequest(request);
            if (!answer)
                return std::nullopt;
            if (!wasVerified && receiver.ImageVerified())
                justVerified_.push_back(address);
            // The unit reboots into its own firmware as soon as it has checked it.
            if (isUnit && request.Command() == kCmdTransferEnd && receiver.ImageVerified())
                dueRestarts_.push_back(address);
            return AnswerWith(request, *answer);
        });
    }
}

void SimFirmwareUpdates::RegisterModuleRestarts(SimModule& module)
{
    const std::uint32_t address = module.Address();
    SimTransferReceiver& receiver = receivers_[address];
    module.Handle(kCmdModuleText, [this, &receiver, address](const BusMessage& request) -> std::optional<BusMessage> {
        if (request.Operand1() != 0 && receiver.ImageVerified())
            dueRestarts_.push_back(address);
        return AnswerWith(request, {kAnsDone});
    });
    module.Handle(kCmdRestart, [this, &receiver, address](const BusMessage& request) -> std::optional<BusMessage> {
        if (request.Operand2() == kRestartOperand)
            dueRestarts_.push_back(address);
        else if (request.Operand2() == 0)
            receiver.Abort();
        return std::nullopt;  // neither is answered
    });
}

std::uint32_t SimFirmwareUpdates::RestartDelayMs(std::uint32_t address) const
{
    if (unit_.Address() == address)
        return unit_.Config().restartDelayMs;
    for (const SimModule* module : modules_) {
        if (module->Address() == address)
            return module->Config().restartDelayMs;
    }
    return 0;
}

void SimFirmwareUpdates::ScheduleRestarts(std::uint64_t nowUs)
{
    const std::uint64_t nowMs = nowUs / 1000;
    for (const std::uint32_t address : justVerified_)
        verifiedAtMs_[address] = nowMs;
    justVerified_.clear();
    for (const std::uint32_t address : dueRestarts_) {
        const auto verified = verifiedAtMs_.find(address);
        const std::uint64_t earliestMs =
            verified != verifiedAtMs_.end() ? verified->second + RestartDelayMs(address) : nowMs;
        FaultRule down;
        down.type = FaultType::Restart;
        down.station = address;
        down.fromMs = std::max(nowMs, earliestMs);
        down.untilMs = down.fromMs + restartDownMs_;
        faults_.Add(down);
    }
    dueRestarts_.clear();
}

void SimFirmwareUpdates::Restarted(SimStation& station, std::uint64_t atMs)
{
    SimTransferReceiver* receiver = Receiver(station.Address());
    if (receiver == nullptr)
        return;
    if (!receiver->ImageVerified()) {
        receiver->Abort();  // a power cycle loses a transfer in progress
        return;
    }
    const auto configuration = receiver->Configuration();
    std::uint32_t version = receiver->TakeVerifiedVersion().value_or(0);
    if (version == 0)
        version = station.Config().versionAfterUpdate;
    if (version == 0)
        version = station.Config().version;
    station.SetVersion(version);
    if (station.role() == SimStation::Role::Module)
        static_cast<SimModule&>(station).InstallFirmware(version, configuration);
    ++installs_[station.Address()];
    Install& install = lastInstall_[station.Address()];
    install.atMs = atMs;
    install.image = receiver->Unpacked();
    install.informationOffset.reset();
    if (!configuration.empty())
        install.informationOffset = static_cast<std::size_t>(configuration.data() - receiver->Unpacked().data());
    install.version = version;
}

const SimFirmwareUpdates::Install* SimFirmwareUpdates::LastInstall(std::uint32_t address) const
{
    const auto found = lastInstall_.find(address);
    return found == lastInstall_.end() ? nullptr : &found->second;
}

SimTransferReceiver* SimFirmwareUpdates::Receiver(std::uint32_t address)
{
    const auto found = receivers_.find(address);
    return found == receivers_.end() ? nullptr : &found->second;
}

std::uint32_t SimFirmwareUpdates::Installs(std::uint32_t address) const
{
    const auto found = installs_.find(address);
    return found == installs_.end() ? 0 : found->second;
}

}  // namespace quorfw
