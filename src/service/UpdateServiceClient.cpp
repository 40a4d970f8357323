#include "service/UpdateServiceClient.h"

#include <system_error>

#include "app/UpdateReport.h"
#include "service/DownloadObserver.h"
#include "service/ServiceResponse.h"

namespace quorfw {

std::string GetFirmwareVersionBody(std::string_view hardwareCode)
{
    std::string body = "<GetFirmwareVersion xmlns=\"";
    body += kUpdateServiceNamespace;
    body += "\"><hardware>";
    body += hardwareCode;
    body += "</hardware></GetFirmwareVersion>";
    return body;
}

UpdateServiceClient::UpdateServiceClient(GenericHTTPClient& client, std::string requestUrl,
                                         std::filesystem::path packageFolder, DownloadObserver* observer)
    : client_(client), requestUrl_(std::move(requestUrl)), packageFolder_(std::move(packageFolder)), observer_(observer)
{
}

int UpdateServiceClient::RequestPackage(std::string_view hardwareCode)
{
    if (observer_ != nullptr) {
        observer_->Requesting(hardwareCode);
    }
    client_.SetSoapBody(GetFirmwareVersionBody(hardwareCode));
    if (client_.Post(requestUrl_) == 0) {
        return -1;
    }
    const auto address = PackageAddressOf(client_.responseHeaders, ResponseBytes(client_.responseBody));
    if (!address) {
        return 0;
    }
    const auto fileName = PackageFileNameOf(*address);
    if (!fileName) {
        if (observer_ != nullptr) {
            observer_->AddressRefused(hardwareCode, *address);
        }
        return 0;
    }
    const std::filesystem::path localPath = packageFolder_ / *fileName;
    // Already there: packages are compared by name only.
    std::error_code ec;
    if (std::filesystem::exists(localPath, ec) || ec) {
        return 0;
    }
    if (observer_ != nullptr) {
        observer_->DownloadStarted(*fileName);
    }
    lastDownloadStatus_ = client_.Download(*address, localPath);
    lastDownloadPath_ = localPath;
    if (observer_ != nullptr) {
        observer_->DownloadEnded(*fileName, lastDownloadStatus_);
    }
    return 1;
}

bool UpdateServiceClient::ReportUpdate(std::string_view line)
{
    client_.SetSoapBody(line);
    if (client_.Post(requestUrl_) <= 0) {
        return false;
    }
    return IsReportAcknowledged(client_.responseHeaders, ResponseBytes(client_.responseBody));
}

}  // namespace quorfw
