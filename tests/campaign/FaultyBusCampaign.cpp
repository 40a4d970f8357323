// Runs seeded update runs of the built-in simulated installation on a faulty bus, in
// virtual time, and checks every claim of success against the simulator:
//
//   faulty_bus_campaign --seeds N [--first S] [--verbose] [--log]
//
// Prints the runs that ended in a false success or a hang (every run with --verbose, each
// with the tool's update log with --log), then one summary line. Exits 1
// on any false success or hang, 2 on a usage error.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "app/UiStrings.h"
#include "tests/campaign/CampaignRun.h"

namespace {

bool ParseCount(const char* text, std::uint64_t& value)
{
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-') {
        return false;
    }
    value = parsed;
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: faulty_bus_campaign --seeds N [--first S] [--verbose] [--log]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace quorfw::campaign;
    std::uint64_t seeds = 0;
    std::uint64_t first = 1;
    bool verbose = false;
    bool showLog = false;
    bool haveSeeds = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--seeds" && i + 1 < argc) {
            haveSeeds = ParseCount(argv[++i], seeds);
            if (!haveSeeds) {
                return Usage();
            }
        } else if (arg == "--first" && i + 1 < argc) {
            if (!ParseCount(argv[++i], first)) {
                return Usage();
            }
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--log") {
            showLog = true;
        } else {
            return Usage();
        }
    }
    if (!haveSeeds) {
        return Usage();
    }
    (void)quorfw::SetUpUiStrings(QUORFW_CAMPAIGN_LANGUAGE_FOLDER, "en_US.UTF-8");

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quorfw-campaign-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    int exitCode = 0;
    {
        const Campaign campaign(folder);
        if (!campaign.Ready()) {
            std::fprintf(stderr, "faulty_bus_campaign: %s\n", campaign.Error().c_str());
            std::filesystem::remove_all(folder);
            return 2;
        }
        std::map<Outcome::Kind, std::uint64_t> counts;
        std::map<std::string, std::uint64_t> reasons;
        std::uint64_t longestMs = 0;
        for (std::uint64_t seed = first; seed < first + seeds; ++seed) {
            const FaultScript script = DrawFaultScript(seed);
            const Outcome outcome = campaign.Run(seed, script);
            ++counts[outcome.kind];
            longestMs = std::max(longestMs, outcome.virtualMs);
            if (outcome.kind == Outcome::Kind::Failed) {
                ++reasons[outcome.reason.substr(0, outcome.reason.find(';'))];
            }
            const bool bad = outcome.kind == Outcome::Kind::FalseSuccess || outcome.kind == Outcome::Kind::Hang;
            if (bad || verbose) {
                std::printf("seed %llu: %s%s%s (%.1f s virtual) [%s]\n", static_cast<unsigned long long>(seed),
                            KindName(outcome.kind), outcome.reason.empty() ? "" : ": ", outcome.reason.c_str(),
                            static_cast<double>(outcome.virtualMs) / 1000.0, script.summary.c_str());
                for (std::size_t i = 0; showLog && i < outcome.log.size(); ++i) {
                    std::printf("    %s\n", outcome.log[i].c_str());
                }
            }
        }
        if (verbose) {
            for (const auto& [reason, count] : reasons) {
                std::printf("  failed %llu x: %s\n", static_cast<unsigned long long>(count), reason.c_str());
            }
            std::printf("longest run %.1f s virtual; bound per operation %.1f s virtual\n",
                        static_cast<double>(longestMs) / 1000.0,
                        static_cast<double>(campaign.OperationBoundMs()) / 1000.0);
        }
        const std::uint64_t falseSuccesses = counts[Outcome::Kind::FalseSuccess];
        const std::uint64_t hangs = counts[Outcome::Kind::Hang];
        std::printf("runs %llu, verified %llu, failed %llu, false successes %llu, hangs %llu\n",
                    static_cast<unsigned long long>(seeds),
                    static_cast<unsigned long long>(counts[Outcome::Kind::Verified]),
                    static_cast<unsigned long long>(counts[Outcome::Kind::Failed]),
                    static_cast<unsigned long long>(falseSuccesses), static_cast<unsigned long long>(hangs));
        exitCode = falseSuccesses + hangs > 0 ? 1 : 0;
    }
    std::filesystem::remove_all(folder);
    return exitCode;
}
