#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/ToolbarCommands.h"

namespace quorfw {

class MainModel;

// The commands and their toolbar order are in ui/ToolbarCommands.h (kCommand...).

// What the enabling rules look at.
struct CommandState {
    bool busy = false;                // an operation's session exists
    bool selectorHasEntries = false;  // the package selector lists at least one package
    bool anyOffered = false;          // some row was marked as offered since start
    std::uint32_t unitType = 0;       // type of the displayed unit
    std::string module0Serial;        // serial number of displayed module 0
};

// The state of the model as the rules see it. While an operation runs only the thread-safe
// parts are read (the rest belongs to the worker and does not matter then).
[[nodiscard]] CommandState CommandStateOf(const MainModel& model);

// The enabling rule of a command; nullopt for an id that is not a toolbar command.
[[nodiscard]] std::optional<bool> CommandEnabled(std::uint32_t command, const CommandState& state);

}  // namespace quorfw
