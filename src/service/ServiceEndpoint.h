#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorfw {

class SettingsStore;

// The setting that points the tool at another update server (a site's own mirror).
inline constexpr std::string_view kSettingServiceHost = "ServiceHost";
// The update server the tool asks when the setting is absent.
inline constexpr std::string_view kDefaultServiceHost = "updates.quorfw-service.invalid";
inline constexpr std::string_view kServicePath = "/UpdateServer/Service.asmx";
inline constexpr int kDefaultServicePort = 80;

// Where the service is reached: its host and the port every connection of a run uses.
struct ServiceEndpoint {
    std::string host;
    int port = kDefaultServicePort;
};

// "HOST" or "HOST:PORT" (port 1 to 65535); nullopt for anything else.
[[nodiscard]] std::optional<ServiceEndpoint> ParseServiceEndpoint(std::string_view text);

// The "ServiceHost" setting, or the built-in host when it is absent or unreadable.
[[nodiscard]] ServiceEndpoint ServiceEndpointFromSettings(const SettingsStore& settings);

}  // namespace quorfw
