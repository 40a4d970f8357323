#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/UiStringIds.h"

namespace quorfw {

class MainModel;

// Command ids of the main window.
inline constexpr std::uint32_t kCmdScan = 1066;
inline constexpr std::uint32_t kCmdUpdate = 1067;
inline constexpr std::uint32_t kCmdOptions = 3776;
inline constexpr std::uint32_t kCmdVersions = 3777;
inline constexpr std::uint32_t kCmdHelp = 3778;
inline constexpr std::uint32_t kCmdAbout = 32780;
inline constexpr std::uint32_t kCmdExit = 3779;
inline constexpr std::uint32_t kCmdBackup = 32781;
inline constexpr std::uint32_t kCmdRestore = 32782;
inline constexpr std::uint32_t kCmdExport = 32783;
inline constexpr std::uint32_t kCmdWiegand = 32784;
inline constexpr std::uint32_t kCmdDeviceFirmware = 32785;
// The help key: the same as kCmdHelp.
inline constexpr std::uint32_t kCmdHelpKey = 57670;

// One toolbar button: its command, the string id of its text, and the string id of its
// tool tip and fly-by text (the command's own id).
struct ToolbarCommand {
    std::uint32_t command;
    std::uint32_t textId;
    std::uint32_t tipId;
};

// The twelve buttons in toolbar order; the image strip holds their pictures in this order.
inline constexpr std::array<ToolbarCommand, 12> kToolbarCommands{{
    {kCmdScan, kTextScanCommand, kTipScan},
    {kCmdUpdate, kTextUpdateCommand, kTipUpdate},
    {kCmdOptions, kTextOptionsCommand, kTipOptions},
    {kCmdVersions, kTextVersionsCommand, kTipVersions},
    {kCmdHelp, kTextHelpCommand, kTipHelp},
    {kCmdAbout, kTextAboutCommand, kTipAbout},
    {kCmdExit, kTextExitCommand, kTipExit},
    {kCmdBackup, kTextBackupCommand, kTipBackup},
    {kCmdRestore, kTextRestoreCommand, kTipRestore},
    {kCmdExport, kTextExportCommand, kTipExport},
    {kCmdWiegand, kTextWiegandCommand, kTipWiegand},
    {kCmdDeviceFirmware, kTextDeviceFirmwareCommand, kTipDeviceFirmware},
}};

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
