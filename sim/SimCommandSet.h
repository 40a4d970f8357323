#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "bus/BusMessage.h"
#include "sim/SimRollCall.h"
#include "sim/SimUnitStore.h"
#include "sim/SimWriteRecords.h"

namespace quorfw {

class FaultPlan;
class SimModule;
class SimStation;
class SimUnit;

// The stations' side of discovery and the command set: the roll call, the unit announcing
// itself after a restart, identity, information blocks and module names, and the unit's
// data (users, templates, log, unit data blocks, page area) read and written through the
// data-block, template and parameter commands. Registers its request handlers on the
// stations it is given. Frames it sends on its own (scan poll answers, the unit calling
// for the tool) go out through `transmit`, which puts them on the line after the station's
// processing time; they are header-only and no answer fault applies to them.
class SimCommandSet {
public:
    using Transmit = std::function<void(std::vector<std::uint8_t> frame, std::uint64_t sentUs)>;

    // How often a restarted unit calls for the tool.
    static constexpr std::uint64_t kAnnouncePeriodUs = 250'000;

    // `store`: what the unit holds; null gives it the demo contents.
    SimCommandSet(SimUnit& unit, const std::vector<SimModule*>& modules, const FaultPlan& faults, Transmit transmit,
                  const SimStoreConfig* store = nullptr);

    // Every frame's header (unescaped, addresses restored) before a station reads it. True
    // when it is dealt with here: a frame for everyone (roll call, scan poll) or a link reset.
    [[nodiscard]] bool OnHeader(const BusMessage& header, std::uint64_t arrivedUs);
    // Installation time moved on: a unit that is calling for the tool calls again.
    void Tick(std::uint64_t nowUs);
    // The unit came back from a power cycle.
    void UnitRestarted(std::uint64_t nowUs);

    // The unit calls for the tool (frames to 0xA0000000) until the tool answers it from
    // 0xA0000000. Off unless asked for, or after a restart when AnnounceAfterRestart is set.
    void StartUnitAnnouncements(std::uint64_t nowUs);
    void SetAnnounceAfterRestart(bool on) { announceAfterRestart_ = on; }
    [[nodiscard]] bool UnitAnnouncing() const { return nextAnnounceUs_.has_value(); }

    [[nodiscard]] SimRollCall& RollCall() { return rollCall_; }
    [[nodiscard]] SimUnitStore& Store() { return store_; }
    // The answer a module gives to an accepted template part (0x81 or 0x05).
    void SetTemplateAnswer(std::uint32_t module, std::uint8_t code) { templateAnswer_[module] = code; }

    [[nodiscard]] const std::vector<SimParameterWrite>& ParameterWrites() const { return parameterWrites_; }
    [[nodiscard]] const std::vector<SimBlockWrite>& BlockWrites() const { return blockWrites_; }
    [[nodiscard]] const std::vector<SimTemplateWrite>& TemplateWrites() const { return templateWrites_; }
    // Stations whose link the tool reset (a bare header from 0xA0000000 with flags 0x80).
    [[nodiscard]] const std::vector<std::uint32_t>& LinkResets() const { return linkResets_; }

private:
    void RegisterUnit();
    void RegisterModule(SimModule& module);

    [[nodiscard]] std::optional<BusMessage> UnitIdentity(const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> UnitInformation(const BusMessage& request);
    [[nodiscard]] std::uint8_t BlockAnswerCode(std::uint32_t selector) const;
    [[nodiscard]] std::optional<BusMessage> DataBlockRead(const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> DataBlockWrite(const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> ParameterWrite(const SimStation& station, const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> ModuleIdentity(const SimModule& module, const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> TemplateRead(const SimModule& module, const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> TemplateWrite(const SimModule& module, const BusMessage& request);

    void SendHeaderOnly(SimStation& station, std::uint32_t to, std::uint8_t linkMode, std::uint64_t atUs);

    SimUnit& unit_;
    std::vector<SimModule*> modules_;
    const FaultPlan& faults_;
    Transmit transmit_;
    SimRollCall rollCall_;
    SimUnitStore store_;
    std::map<std::uint32_t, std::uint8_t> templateAnswer_;
    bool announceAfterRestart_ = false;
    // The last request to the unit was a user write: the next one adds to that list.
    bool usersBeingWritten_ = false;
    std::optional<std::uint64_t> nextAnnounceUs_;
    std::vector<SimParameterWrite> parameterWrites_;
    std::vector<SimBlockWrite> blockWrites_;
    std::vector<SimTemplateWrite> templateWrites_;
    std::vector<std::uint32_t> linkResets_;
};

}  // namespace quorfw
