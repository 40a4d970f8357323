#pragma once

#include <filesystem>

#include "app/Environment.h"

namespace quorfw {

class Clock;
class SettingsStore;
class Transport;

// What the program gives the desktop window.
struct DesktopWindowSetup {
    SettingsStore& settings;
    EnvironmentLookup env;
    Clock& clock;
    Transport& transport;
    std::filesystem::path baudRateFile;
};

// Exit status when there is no display to open the window on.
inline constexpr int kExitNoDisplay = 2;

// Whether a window can be shown: a display (X11 or Wayland) is named, or a Qt platform
// is chosen explicitly.
[[nodiscard]] bool DisplayAvailable(const EnvironmentLookup& env);

// Runs the main window until it is closed; without a display it says so on stderr, points
// to the command line and returns kExitNoDisplay.
int RunDesktopWindow(int& argc, char** argv, const DesktopWindowSetup& setup);

}  // namespace quorfw
