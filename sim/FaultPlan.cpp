#include "sim/FaultPlan.h"

#include <algorithm>
#include <utility>

namespace quorfw {

namespace {

bool IsWindow(FaultType type)
{
    return type == FaultType::Silence || type == FaultType::Restart;
}

}  // namespace

FaultPlan::FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed) : random_(seed)
{
    for (const FaultRule& rule : rules) {
        Add(rule);
    }
}

void FaultPlan::Add(const FaultRule& rule)
{
    rules_.push_back(rule);
    matches_.push_back(0);
    edgesTaken_.push_back(0);
}

bool FaultPlan::AppliesTo(std::size_t rule, std::uint32_t station) const
{
    return rule < rules_.size() && (!rules_[rule].station || *rules_[rule].station == station);
}

bool FaultPlan::IsSilent(std::uint32_t station, std::uint64_t nowMs) const
{
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& r = rules_[i];
        if (IsWindow(r.type) && AppliesTo(i, station) && nowMs >= r.fromMs && nowMs < r.untilMs) {
            return true;
        }
    }
    return false;
}

std::vector<FaultPlan::WindowEdge> FaultPlan::TakeEdges(std::uint64_t nowMs)
{
    std::vector<WindowEdge> edges;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& r = rules_[i];
        if (!IsWindow(r.type)) {
            continue;
        }
        if ((edgesTaken_[i] & 1) == 0 && nowMs >= r.fromMs) {
            edgesTaken_[i] |= 1;
            edges.push_back({r.fromMs, i, true});
        }
        if ((edgesTaken_[i] & 2) == 0 && nowMs >= r.untilMs) {
            edgesTaken_[i] |= 2;
            edges.push_back({r.untilMs, i, false});
        }
    }
    std::stable_sort(edges.begin(), edges.end(),
                     [](const WindowEdge& a, const WindowEdge& b) { return a.timeMs < b.timeMs; });
    return edges;
}

const FaultRule* FaultPlan::Fire(FaultType type, std::uint32_t station, std::uint8_t command)
{
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& r = rules_[i];
        if (r.type != type || !AppliesTo(i, station) || (r.command && *r.command != command)) {
            continue;
        }
        ++matches_[i];
        const bool fires = r.nth != 0 ? matches_[i] == r.nth : random_.Chance(r.probability);
        if (fires) {
            return &r;
        }
    }
    return nullptr;
}

bool FaultPlan::Refuses(std::uint32_t station, std::uint8_t command)
{
    return Fire(FaultType::Refuse, station, command) != nullptr;
}

std::uint32_t FaultPlan::BusyAnswers(std::uint32_t station, std::uint8_t command)
{
    const FaultRule* r = Fire(FaultType::Busy, station, command);
    return r != nullptr ? r->count : 0;
}

bool FaultPlan::DropsAnswer(std::uint32_t station, std::uint8_t command)
{
    return Fire(FaultType::Drop, station, command) != nullptr;
}

std::uint32_t FaultPlan::CorruptedBytes(std::uint32_t station, std::uint8_t command)
{
    const FaultRule* r = Fire(FaultType::Corrupt, station, command);
    return r != nullptr ? r->count : 0;
}

std::uint32_t FaultPlan::GarbageBytes(std::uint32_t station, std::uint8_t command)
{
    const FaultRule* r = Fire(FaultType::Garbage, station, command);
    return r != nullptr ? r->count : 0;
}

std::uint32_t FaultPlan::ForeignAnswers(std::uint32_t station, std::uint8_t command, const FaultRule** rule)
{
    const FaultRule* r = Fire(FaultType::Foreign, station, command);
    if (rule != nullptr) {
        *rule = r;
    }
    return r != nullptr ? r->count : 0;
}

}  // namespace quorfw
