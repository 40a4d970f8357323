#include "app/MainCommands.h"

#include <string_view>

#include "app/MainModel.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kWiegandUnitType = 9;
// Module 0 of this article is a scanner whose device firmware can be programmed.
constexpr std::string_view kDeviceFirmwareArticle = "932455";

}  // namespace

CommandState CommandStateOf(const MainModel& model)
{
    CommandState state;
    state.busy = model.Busy();
    state.anyOffered = model.AnyOffered();
    if (!state.busy) {
        state.selectorHasEntries = !model.selector.empty();
        state.unitType = model.displayed.unit.type;
        state.module0Serial = model.displayed.modules[0].serial;
    }
    return state;
}

std::optional<bool> CommandEnabled(std::uint32_t command, const CommandState& state)
{
    switch (command) {
    case kCommandScan:
    case kCommandOptions:
    case kCommandExit:
        return !state.busy;
    case kCommandUpdate:
        return !state.busy && state.selectorHasEntries && state.anyOffered;
    case kCommandBackup:
    case kCommandRestore:
    case kCommandExport:
    case kCommandVersions:
    case kCommandHelp:
    case kCommandAbout:
        return true;
    case kCommandWiegand:
        return !state.busy && state.unitType == kWiegandUnitType;
    case kCommandDeviceFirmware:
        return !state.busy && state.module0Serial.starts_with(kDeviceFirmwareArticle);
    default:
        return std::nullopt;
    }
}

}  // namespace quorfw
