#pragma once

#include <string>
#include <string_view>

#include "service/GenericHTTPClient.h"

namespace quorfw {

// What a download run tells its front end while it runs, on the run's own thread. The
// defaults do nothing, so a front end overrides only what it shows.
class DownloadObserver {
public:
    virtual ~DownloadObserver() = default;

    // A GetFirmwareVersion request for a hardware code is about to be sent.
    virtual void Requesting(std::string_view /*hardwareCode*/) {}
    // The answer named an address the package folder cannot take; nothing is downloaded.
    virtual void AddressRefused(std::string_view /*hardwareCode*/, std::string_view /*address*/) {}
    virtual void DownloadStarted(const std::string& /*fileName*/) {}
    virtual void DownloadEnded(const std::string& /*fileName*/, DownloadStatus /*status*/) {}
    // One queued report was sent; acknowledged or kept for a later run.
    virtual void ReportSent(bool /*acknowledged*/) {}
    // A downloaded program update was installed (true) or its installation failed.
    virtual void ProgramInstalled(bool /*installed*/) {}
};

}  // namespace quorfw
