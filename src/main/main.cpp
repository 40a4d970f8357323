#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/BaudRateFile.h"
#include "app/Environment.h"
#include "app/QtSettingsStore.h"
#include "app/StartupFiles.h"
#include "app/UiStrings.h"
#include "bus/ConverterHub.h"
#include "cli/CliConverterHub.h"
#include "cli/CliVerbs.h"
#include "common/Clock.h"
#if QUORFW_DESKTOP_WINDOW
#include "gui/DesktopWindow.h"
#endif

namespace {

// The window opens without a verb; its only option is the simulated converter.
bool WantsWindow(const std::vector<std::string>& words)
{
    return words.empty() || words[0].rfind("--simulate", 0) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace quorfw;
    const std::vector<std::string> words(argv + 1, argv + argc);

    (void)SetUpUiStrings(LanguageFolder(ProgramFolder()));
    SystemClock clock;
    QtSettingsStore settings;
    CliContext context{
        std::cout,
        std::cerr,
        settings,
        SystemEnvironment(),
        clock,
        std::filesystem::current_path() / std::string(kBaudRateFileName),
        [](Clock& hubClock) { return ConverterHub::WithHardware(hubClock); },
        isatty(STDERR_FILENO) != 0,
        &std::cin,
        isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
    };
    if (!WantsWindow(words)) {
        return RunCliVerb(words, context);
    }
#if QUORFW_DESKTOP_WINDOW
    const CliParseResult parsed = ParseCliArguments(words, kCliOptionSimulate);
    if (!parsed.arguments) {
        std::cerr << "quorfwupdate: " << parsed.error << "\nusage: quorfwupdate [--simulate[=FILE]]\n" << CliUsage();
        return kExitUsage;
    }
    std::string error;
    auto hub = MakeCliConverterHub(*parsed.arguments, context, error);
    if (!hub) {
        std::cerr << "quorfwupdate: " << error << '\n';
        return kExitUsage;
    }
    return RunDesktopWindow(argc, argv, DesktopWindowSetup{settings, context.env, clock, *hub, context.baudRateFile});
#else
    std::cerr << "quorfwupdate: this build has no window; use a command:\n" << CliUsage();
    return kExitUsage;
#endif
}
