#include "sim/SimRollCall.h"

#include <utility>

#include "bus/BusMessage.h"
#include "sim/FaultPlan.h"
#include "sim/SimStation.h"

namespace quorfw {

SimRollCall::SimRollCall(std::vector<SimStation*> stations) : stations_(std::move(stations)) {}

void SimRollCall::Begin()
{
    round_.clear();
}

bool SimRollCall::Heeded(std::uint32_t address)
{
    const Round& round = round_[address];
    return round.acknowledged && round.answers > behaviour_[address].extraAnswers;
}

SimStation* SimRollCall::Responder(std::uint8_t linkMode, const FaultPlan& faults, std::uint64_t nowMs)
{
    for (SimStation* station : stations_) {
        const std::uint32_t address = station->Address();
        const Behaviour& behaviour = behaviour_[address];
        if (!behaviour.answers || (behaviour.compactOnly && linkMode != LINK_COMPACT) || Heeded(address) ||
            faults.IsSilent(address, nowMs)) {
            continue;
        }
        ++round_[address].answers;
        return station;
    }
    return nullptr;
}

void SimRollCall::Acknowledged(std::uint32_t address)
{
    round_[address].acknowledged = true;
}

}  // namespace quorfw
