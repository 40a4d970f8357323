#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace quorfw {

class FaultPlan;
class SimStation;

// Who answers the tool's scan polls. A roll call (the 0xBC header) opens a round; each
// scan poll (0xA8 to address 0) is answered by one station, the first in bus order (unit,
// then modules in slot order) that has not been acknowledged in this round. A station heeds
// the acknowledgement (0xA8 to its own address) and stays quiet for the rest of the round.
class SimRollCall {
public:
    struct Behaviour {
        // Answers scan polls at all.
        bool answers = true;
        // Answers only polls sent in the compact link mode.
        bool compactOnly = false;
        // Answers this many polls more than it needs to be acknowledged once in a round.
        std::uint32_t extraAnswers = 0;
    };

    // Stations in bus order.
    explicit SimRollCall(std::vector<SimStation*> stations);

    [[nodiscard]] Behaviour& BehaviourOf(std::uint32_t address) { return behaviour_[address]; }

    // A roll call: every station may answer again.
    void Begin();
    // The station that answers a scan poll sent in `linkMode`, or null. Silent stations (a
    // fault window) do not answer.
    [[nodiscard]] SimStation* Responder(std::uint8_t linkMode, const FaultPlan& faults, std::uint64_t nowMs);
    void Acknowledged(std::uint32_t address);

private:
    struct Round {
        bool acknowledged = false;
        std::uint32_t answers = 0;
    };

    [[nodiscard]] bool Heeded(std::uint32_t address);

    std::vector<SimStation*> stations_;
    std::map<std::uint32_t, Behaviour> behaviour_;
    std::map<std::uint32_t, Round> round_;
};

}  // namespace quorfw
