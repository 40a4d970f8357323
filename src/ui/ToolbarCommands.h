#pragma once

#include <array>
#include <cstdint>

namespace quorfw {

// One toolbar button: the command it sends, its text and its tool tip, by string id.
struct ToolbarCommand {
    std::uint32_t command;
    std::uint32_t textId;
    std::uint32_t toolTipId;
};

inline constexpr std::uint32_t kCommandScan = 1066;
inline constexpr std::uint32_t kCommandUpdate = 1067;
inline constexpr std::uint32_t kCommandOptions = 3776;
inline constexpr std::uint32_t kCommandVersions = 3777;
inline constexpr std::uint32_t kCommandHelp = 3778;
inline constexpr std::uint32_t kCommandAbout = 32780;
inline constexpr std::uint32_t kCommandExit = 3779;
inline constexpr std::uint32_t kCommandBackup = 32781;
inline constexpr std::uint32_t kCommandRestore = 32782;
inline constexpr std::uint32_t kCommandExport = 32783;
inline constexpr std::uint32_t kCommandWiegand = 32784;
inline constexpr std::uint32_t kCommandDeviceFirmware = 32785;
// The help key: the same as the help button.
inline constexpr std::uint32_t kCommandHelpKey = 57670;

// The buttons in toolbar order, which is also the order of the images in the toolbar strip.
inline constexpr std::array<ToolbarCommand, 12> kToolbarCommands{{
    {kCommandScan, 2120, 40141},
    {kCommandUpdate, 2101, 40142},
    {kCommandOptions, 2103, 40143},
    {kCommandVersions, 2128, 40144},
    {kCommandHelp, 2129, 40145},
    {kCommandAbout, 2150, 40146},
    {kCommandExit, 2102, 40147},
    {kCommandBackup, 2161, 40148},
    {kCommandRestore, 2162, 40149},
    {kCommandExport, 2163, 40150},
    {kCommandWiegand, 2171, 40151},
    {kCommandDeviceFirmware, 2173, 40152},
}};

}  // namespace quorfw
