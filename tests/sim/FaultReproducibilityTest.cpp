// The same seeds and the same traffic give the same faults, so a failing run can be
// replayed; another seed gives another run.

#include <gtest/gtest.h>

#include "bus/FrameCodec.h"
#include "tests/bus/BusSessionTestBench.h"

namespace quorfw {
namespace {

using sessiontest::SessionBench;

std::vector<SimEvent> RunWithFaults(std::uint64_t seed)
{
    InstallationConfig config = InstallationConfig::Default();
    const auto rule = [&](FaultType type, double probability, std::uint32_t count = 1) {
        FaultRule r;
        r.type = type;
        r.probability = probability;
        r.count = count;
        config.faults.push_back(r);
    };
    rule(FaultType::Drop, 0.2);
    rule(FaultType::Corrupt, 0.15, 2);
    rule(FaultType::Garbage, 0.3, 5);
    rule(FaultType::Busy, 0.2, 1);
    rule(FaultType::Refuse, 0.05);
    rule(FaultType::Foreign, 0.1, 1);
    SessionBench b(config, seed);
    (void)b.session.AnnounceLinkKey(BusSession::kAnnounceAll);
    for (int i = 0; i < 40; ++i) {
        BusMessage poll = b.Poll(b.ModuleAddress(static_cast<std::size_t>(i) % 3));
        (void)b.session.TransactTimed(poll, 0, 50);
    }
    return {b.installation->Events().begin(), b.installation->Events().end()};
}

TEST(FaultReproducibility, SameSeedSameEventsOtherSeedOtherEvents)
{
    const std::vector<SimEvent> first = RunWithFaults(11);
    const std::vector<SimEvent> again = RunWithFaults(11);
    const std::vector<SimEvent> other = RunWithFaults(12);

    // The run exercised the faults it is meant to reproduce.
    for (SimEvent::Type type : {SimEvent::Type::Dropped, SimEvent::Type::Corrupted, SimEvent::Type::Garbage,
                                SimEvent::Type::Busy, SimEvent::Type::Foreign}) {
        EXPECT_TRUE(std::any_of(first.begin(), first.end(), [&](const SimEvent& e) { return e.type == type; }))
            << static_cast<int>(type);
    }
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

}  // namespace
}  // namespace quorfw
