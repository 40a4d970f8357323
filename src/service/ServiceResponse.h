#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorfw {

// Reading the answers of the update service. Bodies are the bytes as received.

// The package address of a GetFirmwareVersion answer: the content of its result element
// after the 7 characters of "http://". nullopt unless the status is 200 and the answer
// holds the response element and a result with an address.
[[nodiscard]] std::optional<std::string> PackageAddressOf(std::string_view headers, std::string_view body);

// The file name an address names: the text after its last "/" (the whole address without
// one). nullopt when the name is empty or could leave the package folder ("..",
// a backslash, a NUL).
[[nodiscard]] std::optional<std::string> PackageFileNameOf(std::string_view address);

// True when a FirmwareUpdated answer acknowledges the report.
[[nodiscard]] bool IsReportAcknowledged(std::string_view headers, std::string_view body);

// The bytes of a response kept one character per byte.
[[nodiscard]] std::string ResponseBytes(const std::wstring& body);

}  // namespace quorfw
