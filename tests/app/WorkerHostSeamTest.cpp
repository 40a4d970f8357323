#include <gtest/gtest.h>

#include <atomic>

#include "app/UiStringIds.h"
#include "tests/app/QueuedHost.h"
#include "tests/app/SimulatedInstallationFixture.h"

namespace quorfw::test {
namespace {

using WorkerHostSeamTest = SimulatedInstallationTest;

// The worker reports through blocking calls onto another thread, which meanwhile polls
// what the window polls (progress, busy, anyOffered). Run under the thread sanitizer.
TEST_F(WorkerHostSeamTest, ScanAndUpdateReportAcrossThreads)
{
    AddPackage("p.qup", InstallationManifest(PackageVersions{"2.5.4.0", "6.4.10.0", "3.0.4.20", "1.2.0.5"}));
    std::atomic<int> polls{0};
    std::atomic<std::uint32_t> highestProgress{0};
    UiThread ui([&] {
        const std::uint32_t progress = model->SessionProgress();
        if (progress > highestProgress.load()) {
            highestProgress.store(progress);
        }
        (void)model->Busy();
        (void)model->AnyOffered();
        polls.fetch_add(1);
    });
    QueuedHost queued(ui, host);

    ASSERT_EQ(StartScan(*model, queued), MainModel::StartResult::Started);
    model->WaitForOperation();
    ASSERT_TRUE(model->lastOperationSucceeded);
    EXPECT_TRUE(model->CanUpdate());

    host = RecordingHost{};
    ASSERT_EQ(StartUpdate(*model, queued), MainModel::StartResult::Started);
    model->WaitForOperation();
    EXPECT_TRUE(model->lastOperationSucceeded);

    const std::vector<std::pair<int, int>> expected = {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(host.steps, expected);
    EXPECT_EQ(host.messages, std::vector<std::uint32_t>{kTextUpdateDone});
    EXPECT_EQ(host.confirmations, std::vector<std::uint32_t>{kTextUpdateConfirm});  // a unit of type 3
    EXPECT_GT(polls.load(), 0);
    EXPECT_FALSE(model->Busy());
}

TEST_F(WorkerHostSeamTest, CancelledConfirmationStartsNothing)
{
    AddPackage("p.qup", InstallationManifest(PackageVersions{}));
    ASSERT_TRUE(Scan());
    host = RecordingHost{};
    host.confirmAnswer = false;
    EXPECT_EQ(StartUpdate(*model, host), MainModel::StartResult::Cancelled);
    EXPECT_FALSE(model->Busy());
    EXPECT_EQ(host.resets, 1);
    EXPECT_TRUE(host.logIds.empty());
}

}  // namespace
}  // namespace quorfw::test
