#pragma once

#include <filesystem>
#include <functional>

class QUrl;
class QWidget;

namespace quorfw {

// Opens a URL with the desktop's viewer; false when it could not be started.
using UrlOpener = std::function<bool(const QUrl&)>;

[[nodiscard]] UrlOpener DesktopUrlOpener();

// The help file of the locale's language beside the running program.
[[nodiscard]] std::filesystem::path ProgramHelpFile();

// Opens helpFile; false when it does not exist or the viewer could not be started.
[[nodiscard]] bool LaunchHelp(const std::filesystem::path& helpFile, const UrlOpener& open);

// The help command: opens helpFile, or says "Failed to launch help." (61703). Returns
// whether the help was opened.
bool RunHelpCommand(QWidget* parent, const std::filesystem::path& helpFile, const UrlOpener& open);

}  // namespace quorfw
