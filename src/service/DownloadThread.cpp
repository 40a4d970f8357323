#include "service/DownloadThread.h"

#include "service/CProgrammUpdate.h"
#include "service/DownloadObserver.h"
#include "service/UpdateServiceClient.h"

namespace quorfw {

DownloadThread::DownloadThread(DownloadSetup setup, DownloadObserver* observer)
    : setup_(std::move(setup)), observer_(observer)
{
    client_.SetPort(setup_.service.port);
    client_.SetTimeouts(setup_.timeouts);
}

DownloadThread::~DownloadThread()
{
    Join();
}

bool DownloadThread::Start()
{
    if (running_.exchange(true)) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join();  // the earlier run has ended: only its thread object is left
    }
    programUpdated_.store(false);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void DownloadThread::Join()
{
    if (thread_.joinable()) {
        thread_.join();
    }
}

void DownloadThread::InstallProgramUpdate(const UpdateServiceClient& service)
{
    if (service.LastDownloadStatus() == DownloadStatus::Broken) {
        // Installing a cut-off update would replace only some of the program's files;
        // removed, it is downloaded again by the next run.
        std::error_code ec;
        std::filesystem::remove(service.LastDownloadPath(), ec);
        return;
    }
    if (service.LastDownloadStatus() != DownloadStatus::Complete) {
        return;
    }
    CProgrammUpdate installer(setup_.programFolder);
    const bool installed = installer.Install(service.LastDownloadPath());
    programUpdated_.store(installed);
    if (observer_ != nullptr) {
        observer_->ProgramInstalled(installed);
    }
}

void DownloadThread::Run()
{
    UpdateServiceClient service(client_, setup_.service.host + std::string(kServicePath), setup_.packageFolder,
                                observer_);
    int combined = 0;
    for (const std::string_view code : kHardwareCodes) {
        combined |= service.RequestPackage(code);
    }
    (void)service.RequestPackage(kBasePackageCode);
    downloadResult_.store(combined);
    reports_ = {};
    if (combined != -1) {
        reports_ = SendReportQueue(setup_.packageFolder, [&](std::string_view line) {
            const bool acknowledged = service.ReportUpdate(line);
            if (observer_ != nullptr) {
                observer_->ReportSent(acknowledged);
            }
            return acknowledged;
        });
        if (service.RequestPackage(kProgramCode) == 1) {
            InstallProgramUpdate(service);
        }
    }
    running_.store(false);
}

}  // namespace quorfw
