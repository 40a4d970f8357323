#include "service/ServiceResponse.h"

#include "service/GenericHTTPClient.h"

namespace quorfw {

std::optional<std::string> PackageAddressOf(std::string_view headers, std::string_view body)
{
    constexpr std::string_view kResponse = "<GetFirmwareVersionResponse ";
    constexpr std::string_view kResultOpen = "<GetFirmwareVersionResult>";
    constexpr std::string_view kResultClose = "</GetFirmwareVersionResult>";
    constexpr std::size_t kSchemeLength = 7;  // "http://"
    if (!HasStatus200(headers) || body.find(kResponse) == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t open = body.find(kResultOpen);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t close = body.find(kResultClose, open + kResultOpen.size());
    const std::size_t start = open + kResultOpen.size() + kSchemeLength;
    // An empty result, or one shorter than the scheme, names no package.
    if (close == std::string_view::npos || close <= start) {
        return std::nullopt;
    }
    return std::string(body.substr(start, close - start));
}

std::optional<std::string> PackageFileNameOf(std::string_view address)
{
    const std::size_t slash = address.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? address : address.substr(slash + 1);
    if (name.empty() || name.find("..") != std::string_view::npos || name.find('\\') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos || name == ".") {
        return std::nullopt;
    }
    return std::string(name);
}

bool IsReportAcknowledged(std::string_view headers, std::string_view body)
{
    return !body.empty() && HasStatus200(headers) && body.find("FirmwareUpdatedResponse ") != std::string_view::npos &&
           body.find("FirmwareUpdatedResult") != std::string_view::npos;
}

std::string ResponseBytes(const std::wstring& body)
{
    std::string bytes;
    bytes.reserve(body.size());
    for (const wchar_t c : body) {
        bytes.push_back(static_cast<char>(static_cast<unsigned char>(c & 0xFF)));
    }
    return bytes;
}

}  // namespace quorfw
