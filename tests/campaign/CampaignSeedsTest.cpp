#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/UiStrings.h"
#include "tests/campaign/CampaignRun.h"

namespace quorfw::campaign {
namespace {

// Seeds whose fault scripts once made the update claim what the simulator contradicted, and
// how they end now. They follow the fault script drawn for each seed: a change to the
// drawing gives them other scripts.
TEST(FaultyBusCampaignSeeds, FaultsOnceFoundEndHonestly)
{
    const char* binary = std::getenv("QUORFW_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quorfw-campaign-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    {
        const Campaign campaign(folder);
        ASSERT_TRUE(campaign.Ready()) << campaign.Error();
        const struct {
            std::uint64_t seed;
            const char* found;
            Outcome::Kind now;
        } cases[] = {
            {48, "keypad lost in the update's scan, update reported done", Outcome::Kind::Failed},
            {117, "unit missing in the update's scan, modules programmed, update reported done",
             Outcome::Kind::Failed},
            {425, "keypad never restarted into its image, yet a report line was written", Outcome::Kind::Failed},
            {6239, "scanner read as a keypad in the update's scan, left out, update reported done",
             Outcome::Kind::Failed},
            {3214, "damaged identity answer after the restart reported as the unit's serial",
             Outcome::Kind::Verified},
            {2096, "the same, with another damaged serial", Outcome::Kind::Verified},
        };
        for (const auto& c : cases) {
            const Outcome outcome = campaign.Run(c.seed);
            EXPECT_EQ(KindName(outcome.kind), std::string(KindName(c.now)))
                << "seed " << c.seed << " (" << c.found << "): " << outcome.reason;
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quorfw::campaign
