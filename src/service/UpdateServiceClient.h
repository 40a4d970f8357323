#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "service/GenericHTTPClient.h"

namespace quorfw {

class DownloadObserver;

// The hardware codes asked for in a run, in this order.
inline constexpr std::array<std::string_view, 14> kHardwareCodes = {
    "ZQ", "QBX", "QCX", "QDX", "QEX", "QFX", "QGX", "QPX", "QHX", "QRX", "QJX", "QKX", "ZJ", "QMX"};
inline constexpr std::string_view kBasePackageCode = "BaseUpdate";
inline constexpr std::string_view kProgramCode = "quorFWupdate";

// The two operations of the update service over one HTTP client.
class UpdateServiceClient {
public:
    // requestUrl: the service host followed by the endpoint path (no scheme).
    UpdateServiceClient(GenericHTTPClient& client, std::string requestUrl, std::filesystem::path packageFolder,
                        DownloadObserver* observer = nullptr);

    // One GetFirmwareVersion exchange and, when the answer names a file that is not yet in
    // the package folder, its download. -1: no answer; 1: a download was started; 0 else.
    [[nodiscard]] int RequestPackage(std::string_view hardwareCode);

    // One FirmwareUpdated exchange for a report line; true when the service acknowledged it.
    [[nodiscard]] bool ReportUpdate(std::string_view line);

    // The local path of the last file RequestPackage downloaded; empty before.
    const std::filesystem::path& LastDownloadPath() const { return lastDownloadPath_; }
    // How that download ended.
    DownloadStatus LastDownloadStatus() const { return lastDownloadStatus_; }

private:
    GenericHTTPClient& client_;
    std::string requestUrl_;
    std::filesystem::path packageFolder_;
    DownloadObserver* observer_;
    std::filesystem::path lastDownloadPath_;
    DownloadStatus lastDownloadStatus_ = DownloadStatus::NotFetched;
};

// The GetFirmwareVersion request element for a hardware code.
[[nodiscard]] std::string GetFirmwareVersionBody(std::string_view hardwareCode);

}  // namespace quorfw
