#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/FaultRule.h"

namespace quorfw::campaign {

// How one seeded update run of the built-in installation ended, judged against the
// simulator.
struct Outcome {
    enum class Kind {
        Verified,      // every offered station runs the package's image and has its settings back
        Failed,        // the run or a row says it did not work; `reason` says which
        FalseSuccess,  // a claim of success that the simulator contradicts
        Hang,          // the run did not end within its virtual-time bound
    };
    Kind kind = Kind::Failed;
    std::string reason;
    std::uint64_t virtualMs = 0;
    // The update log of the run, entry by entry.
    std::vector<std::string> log;
};

// What a seed does to the bus: fault rules in force from the start, and the stations hit by
// the faults placed while the run goes on.
struct FaultScript {
    std::vector<FaultRule> rules;
    // Index into the stations (0 unit, 1-3 modules); -1 for none.
    int restartDuringTransfer = -1;
    std::uint32_t restartAfterStartMs = 0;
    int silenceAcrossRestart = -1;
    std::uint32_t silenceAfterProgrammedMs = 0;
    std::uint32_t silenceMs = 0;
    // Per station: how long it runs its old firmware after the commit.
    std::vector<std::uint32_t> restartDelayMs;
    std::string summary;
};

[[nodiscard]] FaultScript DrawFaultScript(std::uint64_t seed);

// The package the runs program, written into `folder`, which also receives the logs.
class Campaign {
public:
    explicit Campaign(std::filesystem::path folder);

    [[nodiscard]] bool Ready() const { return error_.empty(); }
    [[nodiscard]] const std::string& Error() const { return error_; }

    [[nodiscard]] Outcome Run(std::uint64_t seed, const FaultScript& script) const;
    [[nodiscard]] Outcome Run(std::uint64_t seed) const { return Run(seed, DrawFaultScript(seed)); }

    // The virtual time one operation (a scan, or a scan and update) may take at most,
    // from the limits of the protocol and the size of the package's images.
    [[nodiscard]] std::uint64_t OperationBoundMs() const { return boundMs_; }

private:
    std::filesystem::path folder_;
    std::string error_;
    std::uint64_t boundMs_ = 0;
};

[[nodiscard]] const char* KindName(Outcome::Kind kind);

}  // namespace quorfw::campaign
