// The answers of the update service come from the network: whatever the bytes, reading
// them gives a value, never a crash, and a package name never leaves the package folder.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "service/GenericHTTPClient.h"
#include "service/ReportQueue.h"
#include "service/ServiceResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Headers up to the blank line, the rest as the body.
    const std::size_t blank = input.find("\r\n\r\n");
    const std::string_view headers = blank == std::string_view::npos ? input : input.substr(0, blank + 4);
    const std::string_view body = blank == std::string_view::npos ? input : input.substr(blank + 4);

    (void)quorfw::HasStatus200(headers);
    (void)quorfw::IsReportAcknowledged(headers, body);
    if (const auto address = quorfw::PackageAddressOf(headers, body)) {
        if (address->empty() || address->size() > body.size()) {
            __builtin_trap();
        }
        if (const auto name = quorfw::PackageFileNameOf(*address)) {
            if (name->empty() || name->find('/') != std::string::npos || name->find('\\') != std::string::npos ||
                name->find("..") != std::string::npos) {
                __builtin_trap();
            }
        }
        std::string host;
        std::string path;
        if (quorfw::GenericHTTPClient::ParseUrl(*address, host, path) &&
            (host.size() > 1023 || path.size() > 1023 || (!path.empty() && path[0] != '/'))) {
            __builtin_trap();
        }
    }
    std::size_t total = 0;
    for (const std::string& line : quorfw::SplitReportLines(input)) {
        total += line.size();
    }
    if (total > input.size()) {
        __builtin_trap();
    }
    return 0;
}
