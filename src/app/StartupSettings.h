#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/Environment.h"

namespace quorfw {

class Clock;
class SettingsStore;

// What the settings pass at start decides for the main window.
struct StartupSettings {
    std::uint32_t baudRate = 0;       // from the baud-rate file
    int converterIndex = 0;           // "USB": applied only when converters are listed
    std::string userName;             // "Username", for the report lines
    std::string packageFolder;        // "Path" or the default folder; ends with '/' unless empty
    bool reminderDue = false;         // show the reminder message; "ShowDownload" is now 1
    bool downgradeAllowed = false;    // "DowngradePossible" is exactly 613475
    bool openOptionsDialog = false;   // "ShowDownload" is 1: open the options 500 ms after start
};

inline constexpr std::uint32_t kOptionsDialogDelayMs = 500;

// Runs the settings pass in the order the main window needs it: baud-rate file, "USB",
// "Username", "Path" (creating the default folder), the download reminder (which may set
// "ShowDownload"), "DowngradePossible", then "ShowDownload". The time comes from the clock.
StartupSettings ReadStartupSettings(SettingsStore& settings, Clock& clock, const std::filesystem::path& baudRateFile,
                                    const EnvironmentLookup& env);

// What the program stores when it ends: the converter index and the package folder.
[[nodiscard]] bool SaveExitSettings(SettingsStore& settings, int converterIndex, const std::string& packageFolder);

}  // namespace quorfw
