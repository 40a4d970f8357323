#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <istream>
#include <ostream>

#include "app/Environment.h"

namespace quorfw {

class Clock;
class ConverterHub;
class SettingsStore;

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What a verb runs with; the program fills it from the process, tests with their own.
struct CliContext {
    std::ostream& out;
    std::ostream& err;
    SettingsStore& settings;
    EnvironmentLookup env;
    Clock& clock;
    // The baud-rate file of the working directory.
    std::filesystem::path baudRateFile;
    // The converters of the machine (FTDI and tty).
    std::function<std::unique_ptr<ConverterHub>(Clock&)> makeHub;
    // stderr is a terminal (progress is redrawn in place).
    bool terminal = false;
    // Where a question is answered (stdin), and whether a person sits at it.
    std::istream* in = nullptr;
    bool inputTerminal = false;
};

}  // namespace quorfw
