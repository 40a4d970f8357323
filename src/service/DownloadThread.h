#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "service/GenericHTTPClient.h"
#include "service/ReportQueue.h"
#include "service/ServiceEndpoint.h"

namespace quorfw {

class DownloadObserver;
class UpdateServiceClient;

// What a download run works with.
struct DownloadSetup {
    ServiceEndpoint service;
    std::filesystem::path packageFolder;
    // Where a program update is installed: the running program's folder.
    std::filesystem::path programFolder;
    HttpTimeouts timeouts;
};

// One download run on its own thread: asks for the newest package of every hardware code
// and downloads the new ones, asks for the base package, sends the queued reports and
// installs a new program version. The running mark, the progress, the combined result
// and programUpdated are single words another thread may read while the run goes on.
class DownloadThread {
public:
    explicit DownloadThread(DownloadSetup setup, DownloadObserver* observer = nullptr);
    ~DownloadThread();  // waits for a run still going
    DownloadThread(const DownloadThread&) = delete;
    DownloadThread& operator=(const DownloadThread&) = delete;

    // Starts a run; false while an earlier run still goes (two never overlap).
    [[nodiscard]] bool Start();
    // Waits for the run to end.
    void Join();

    // Set from Start until the run's very last action; the results are final once clear.
    bool Running() const { return running_.load(); }
    // Percentage of the file being downloaded; 0 while the run talks to the service.
    double Progress() const { return client_.progress.load(); }
    // -1: the service could not be reached; 1: a new package was downloaded; 0: nothing new.
    int DownloadResult() const { return downloadResult_.load(); }
    bool ProgramUpdated() const { return programUpdated_.load(); }
    // The report step of the last run (read once the run has ended).
    ReportQueueResult Reports() const { return reports_; }

private:
    void Run();
    void InstallProgramUpdate(const UpdateServiceClient& service);

    DownloadSetup setup_;
    DownloadObserver* observer_;
    GenericHTTPClient client_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> downloadResult_{0};
    std::atomic<bool> programUpdated_{false};
    ReportQueueResult reports_;
};

}  // namespace quorfw
