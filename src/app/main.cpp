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
#include "cli/CliVerbs.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"

int main(int argc, char** argv)
{
    using namespace quorfw;
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        // The desktop window comes here; until it exists the program only runs verbs.
        std::cerr << CliUsage();
        return kExitUsage;
    }

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
    return RunCliVerb(words, context);
}
