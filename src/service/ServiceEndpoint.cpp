#include "service/ServiceEndpoint.h"

#include <charconv>

#include "app/SettingsStore.h"
#include "service/GenericHTTPClient.h"

namespace quorfw {

std::optional<ServiceEndpoint> ParseServiceEndpoint(std::string_view text)
{
    ServiceEndpoint endpoint;
    const std::size_t colon = text.find(':');
    std::string_view host = text.substr(0, colon);
    if (colon != std::string_view::npos) {
        const std::string_view port = text.substr(colon + 1);
        const auto result = std::from_chars(port.data(), port.data() + port.size(), endpoint.port);
        if (port.empty() || result.ec != std::errc{} || result.ptr != port.data() + port.size() || endpoint.port < 1 ||
            endpoint.port > 65535) {
            return std::nullopt;
        }
    }
    std::string parsedHost;
    std::string path;
    if (!GenericHTTPClient::ParseUrl(host, parsedHost, path) || !path.empty() || parsedHost != host ||
        !IsPlainHostName(host)) {
        return std::nullopt;
    }
    endpoint.host = std::string(host);
    return endpoint;
}

ServiceEndpoint ServiceEndpointFromSettings(const SettingsStore& settings)
{
    const std::string text = settings.ReadString(kSettingServiceHost, kDefaultServiceHost);
    if (auto endpoint = ParseServiceEndpoint(text)) {
        return *endpoint;
    }
    return ServiceEndpoint{std::string(kDefaultServiceHost), kDefaultServicePort};
}

}  // namespace quorfw
