#pragma once

#include <cstdint>
#include <vector>

#include "sim/FaultRule.h"
#include "sim/SimRandom.h"

namespace quorfw {

// The fault script of one run and its dice. Every decision is drawn here, in the order the
// bus asks for it, from one seeded source: the same seed and the same traffic give the
// same faults.
class FaultPlan {
public:
    // A Silence or Restart window opening or closing.
    struct WindowEdge {
        std::uint64_t timeMs = 0;
        std::size_t rule = 0;
        bool begins = false;
    };

    FaultPlan() = default;
    FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed);

    void Add(const FaultRule& rule);
    [[nodiscard]] const std::vector<FaultRule>& Rules() const { return rules_; }

    // The station hears nothing now: a silence window or the down time of a restart.
    [[nodiscard]] bool IsSilent(std::uint32_t station, std::uint64_t nowMs) const;
    // Window edges reached by nowMs that were not taken before, in time order.
    [[nodiscard]] std::vector<WindowEdge> TakeEdges(std::uint64_t nowMs);
    // Whether a rule concerns that station (any station when the rule names none).
    [[nodiscard]] bool AppliesTo(std::size_t rule, std::uint32_t station) const;

    // Decisions about a request the station has understood.
    [[nodiscard]] bool Refuses(std::uint32_t station, std::uint8_t command);
    // How many busy answers to give before the real one; 0 when no busy rule fires.
    [[nodiscard]] std::uint32_t BusyAnswers(std::uint32_t station, std::uint8_t command);

    // Decisions about an answer on its way (command is that of the request answered).
    [[nodiscard]] bool DropsAnswer(std::uint32_t station, std::uint8_t command);
    [[nodiscard]] std::uint32_t CorruptedBytes(std::uint32_t station, std::uint8_t command);
    [[nodiscard]] std::uint32_t GarbageBytes(std::uint32_t station, std::uint8_t command);
    // Foreign answers before the real one, and the rule that asked for them.
    [[nodiscard]] std::uint32_t ForeignAnswers(std::uint32_t station, std::uint8_t command, const FaultRule** rule);

    // Dice for what a fault does once it fires (which bytes, which values).
    [[nodiscard]] SimRandom& Random() { return random_; }

private:
    // The first rule of that type that matches and fires; counts the match either way.
    [[nodiscard]] const FaultRule* Fire(FaultType type, std::uint32_t station, std::uint8_t command);

    std::vector<FaultRule> rules_;
    std::vector<std::uint32_t> matches_;
    std::vector<std::uint8_t> edgesTaken_;  // bit 0: begin taken, bit 1: end taken
    SimRandom random_;
};

}  // namespace quorfw
