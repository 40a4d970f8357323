#pragma once

#include <string>
#include <string_view>

namespace quorfw {

// The per-user settings: integer and string values, all in the one section "Settings".
// Reads give the default when a value is absent or not of a readable form.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int ReadInt(std::string_view name, int defaultValue) const = 0;
    virtual std::string ReadString(std::string_view name, std::string_view defaultValue) const = 0;
    [[nodiscard]] virtual bool WriteInt(std::string_view name, int value) = 0;
    [[nodiscard]] virtual bool WriteString(std::string_view name, std::string_view value) = 0;
};

inline constexpr std::string_view kSettingsGroup = "Settings";

// Value names and the defaults that apply when a value is absent.
inline constexpr std::string_view kSettingUsb = "USB";
inline constexpr int kDefaultUsb = 0;
inline constexpr std::string_view kSettingPath = "Path";
inline constexpr std::string_view kDefaultPath = "";
inline constexpr std::string_view kSettingUsername = "Username";
inline constexpr std::string_view kDefaultUsername = "";
inline constexpr std::string_view kSettingLastUpdate = "LastUpdate";
inline constexpr std::string_view kDefaultLastUpdate = "01.01.2007 12:00:00";
inline constexpr std::string_view kSettingShowDownload = "ShowDownload";
inline constexpr int kDefaultShowDownload = 1;
inline constexpr std::string_view kSettingDowngradePossible = "DowngradePossible";
inline constexpr int kDefaultDowngradePossible = 0;
// The only value of "DowngradePossible" that lets older firmware be offered.
inline constexpr int kDowngradeEnabledValue = 613475;

}  // namespace quorfw
