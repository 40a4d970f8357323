#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/StartupFiles.h"
#include "app/UiStrings.h"
#include "cli/CliJson.h"
#include "cli/CliPackageFolder.h"
#include "cli/CliVerbs.h"
#include "common/Clock.h"
#include "service/DownloadObserver.h"
#include "service/DownloadOutcome.h"
#include "service/DownloadThread.h"

namespace quorfw {

namespace {

constexpr int kBarWidth = 30;
constexpr std::uint32_t kPollMs = 100;

const char* StatusName(DownloadStatus status)
{
    switch (status) {
    case DownloadStatus::Complete: return "complete";
    case DownloadStatus::Broken: return "broken";
    case DownloadStatus::NotFetched: return "not-fetched";
    }
    return "not-fetched";
}

// The run's reports: requests and results on stderr with a progress bar per file, or
// NDJSON events on stdout. Called on the run's thread and, for the ticks, on the main one.
class CliDownloadObserver final : public DownloadObserver {
public:
    CliDownloadObserver(CliContext& context, bool json) : context_(context), json_(json) {}

    void Requesting(std::string_view code) override
    {
        std::lock_guard lock(mutex_);
        if (json_) {
            Event({{"event", "request"}, {"code", code}});
        } else {
            context_.err << "Asking the update service for " << code << '\n' << std::flush;
        }
    }

    void AddressRefused(std::string_view code, std::string_view address) override
    {
        std::lock_guard lock(mutex_);
        if (json_) {
            Event({{"event", "refused"}, {"code", code}, {"address", address}});
        } else {
            context_.err << "  refused: the address for " << code << " would leave the package folder: " << address
                         << '\n';
        }
    }

    void DownloadStarted(const std::string& fileName) override
    {
        std::lock_guard lock(mutex_);
        file_ = fileName;
        shownPercent_ = -1;
        if (json_) {
            Event({{"event", "download"}, {"file", fileName}});
        } else {
            context_.err << "  downloading " << fileName << '\n' << std::flush;
        }
    }

    void DownloadEnded(const std::string& fileName, DownloadStatus status) override
    {
        std::lock_guard lock(mutex_);
        if (status == DownloadStatus::Complete) {
            downloaded_.push_back(fileName);
            DrawBar(100);
        }
        EndBar();
        file_.clear();
        if (json_) {
            Event({{"event", "downloaded"}, {"file", fileName}, {"status", StatusName(status)}});
        } else if (status != DownloadStatus::Complete) {
            context_.err << "  " << fileName
                         << (status == DownloadStatus::Broken ? ": the transfer broke off; the file is incomplete\n"
                                                              : ": the service did not deliver the file\n");
        }
    }

    void ReportSent(bool acknowledged) override
    {
        std::lock_guard lock(mutex_);
        if (json_) {
            Event({{"event", "report"}, {"acknowledged", acknowledged}});
        } else {
            context_.err << (acknowledged ? "Update report sent\n" : "Update report not accepted; kept for the next run\n");
        }
    }

    void ProgramInstalled(bool installed) override
    {
        std::lock_guard lock(mutex_);
        if (json_) {
            Event({{"event", "program"}, {"installed", installed}});
        } else if (!installed) {
            context_.err << "The program update could not be installed\n";
        }
    }

    // The main thread's look at the file being downloaded.
    void Tick(double progress)
    {
        std::lock_guard lock(mutex_);
        if (!file_.empty()) {
            DrawBar(static_cast<int>(progress));
        }
    }

    std::vector<std::string> Downloaded()
    {
        std::lock_guard lock(mutex_);
        return downloaded_;
    }

private:
    void Event(const CliJson& event) { context_.out << JsonLine(event) << '\n' << std::flush; }

    void DrawBar(int percent)
    {
        percent = std::clamp(percent, 0, 100);
        // Off a terminal, and in events, only every tenth percent, so a log stays short.
        const int shown = context_.terminal && !json_ ? percent : percent / 10 * 10;
        if (shown == shownPercent_) {
            return;
        }
        shownPercent_ = shown;
        if (json_) {
            Event({{"event", "progress"}, {"file", file_}, {"percent", shown}});
            return;
        }
        const int filled = shown * kBarWidth / 100;
        const std::string line = "  [" + std::string(static_cast<std::size_t>(filled), '#') +
                                 std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
                                 std::to_string(shown) + "%  " + file_;
        if (context_.terminal) {
            context_.err << "\r\x1b[K" << line << std::flush;
            barOpen_ = true;
        } else {
            context_.err << line << '\n' << std::flush;
        }
    }

    void EndBar()
    {
        if (barOpen_) {
            context_.err << '\n' << std::flush;
            barOpen_ = false;
        }
    }

    CliContext& context_;
    bool json_;
    std::mutex mutex_;
    std::string file_;
    int shownPercent_ = -1;
    bool barOpen_ = false;
    std::vector<std::string> downloaded_;
};

}  // namespace

// quorfwupdate download: new packages from the update service, the queued update reports
// to it, and a new program version when it offers one.
int RunDownloadVerb(const CliArguments& arguments, CliContext& context)
{
    std::string error;
    const auto folder = ResolvePackageFolder(arguments, context, error);
    if (!folder) {
        context.err << "quorfwupdate download: " << error << '\n';
        return kExitUsage;
    }
    ServiceEndpoint endpoint = ServiceEndpointFromSettings(context.settings);
    if (arguments.service) {
        const auto given = ParseServiceEndpoint(*arguments.service);
        if (!given) {
            context.err << "quorfwupdate download: --service needs HOST or HOST:PORT: " << *arguments.service << '\n';
            return kExitUsage;
        }
        endpoint = *given;
    }
    if (!arguments.json) {
        context.err << "Update service " << endpoint.host << ":" << endpoint.port << ", package folder " << *folder
                    << '\n';
    }

    CliDownloadObserver observer(context, arguments.json);
    DownloadThread run(DownloadSetup{endpoint, *folder, ProgramFolder(), {}}, &observer);
    if (!run.Start()) {
        context.err << "quorfwupdate download: a download run is still going\n";
        return kExitFailed;
    }
    while (run.Running()) {
        observer.Tick(run.Progress());
        context.clock.SleepMs(kPollMs);
    }
    run.Join();

    const int result = run.DownloadResult();
    const bool programUpdated = run.ProgramUpdated();
    for (const std::uint32_t id : DownloadOutcomeMessages(result, programUpdated)) {
        if (arguments.json) {
            context.out << JsonLine({{"event", "message"}, {"id", id}, {"text", LoadUiString(id)}}) << '\n';
        } else {
            context.out << LoadUiString(id) << '\n';
        }
    }
    // As after every run of the options dialog, reachable or not.
    if (!WriteLastUpdate(context.settings, context.clock.WallTime())) {
        context.err << "quorfwupdate download: the time of this update check could not be stored\n";
    }

    const ReportQueueResult reports = run.Reports();
    const std::vector<std::string> downloaded = observer.Downloaded();
    if (arguments.json) {
        CliJson event = {{"event", "result"},
                                        {"ok", result != -1},
                                        {"downloadResult", result},
                                        {"programUpdated", programUpdated},
                                        {"downloaded", downloaded},
                                        {"reportsSent", reports.sent},
                                        {"reportsKept", reports.kept}};
        context.out << JsonLine(event) << '\n';
    } else {
        context.out << "Downloaded: " << downloaded.size();
        for (const std::string& name : downloaded) {
            context.out << (name == downloaded.front() ? "  " : ", ") << name;
        }
        context.out << "\nReports sent: " << reports.sent << ", kept for the next run: " << reports.kept << '\n';
    }
    return result == -1 ? kExitFailed : kExitOk;
}

}  // namespace quorfw
