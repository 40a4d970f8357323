#pragma once

#include <cstdint>

namespace quorfw {

// String ids of the scan-and-update operation.
inline constexpr std::uint32_t kTextScanStart = 2130;
inline constexpr std::uint32_t kTextNoUnitAnswer = 2131;
inline constexpr std::uint32_t kTextScanFoundStation = 2132;
inline constexpr std::uint32_t kTextScanFoundNothing = 2133;
inline constexpr std::uint32_t kTextModuleVersions = 2134;  // serial, installed, package version
inline constexpr std::uint32_t kTextUnitVersions = 2135;    // serial, installed, package version
inline constexpr std::uint32_t kTextUnitUpdateStart = 2137;
inline constexpr std::uint32_t kTextUnitUpdated = 2138;  // version
inline constexpr std::uint32_t kTextUpdateFailed = 2139;
inline constexpr std::uint32_t kTextModuleUpdateStart = 2141;  // step number
inline constexpr std::uint32_t kTextModuleUpdated = 2142;      // version
inline constexpr std::uint32_t kTextUpdateDone = 2144;
inline constexpr std::uint32_t kTextStepCounter = 2149;  // done, total
inline constexpr std::uint32_t kTextUpdateFailedMessage = 2157;
inline constexpr std::uint32_t kTextUpdateOffered = 2165;
inline constexpr std::uint32_t kTextUpdateNotOffered = 2166;
inline constexpr std::uint32_t kTextProgramming = 2168;  // serial
inline constexpr std::uint32_t kTextUnitNotice = 2169;
inline constexpr std::uint32_t kTextUpdateConfirm = 3781;
// How a programmed station was found after its restart: serial, version.
inline constexpr std::uint32_t kTextRestartVerified = 40001;
inline constexpr std::uint32_t kTextRestartNotBack = 40002;
inline constexpr std::uint32_t kTextRestartOtherVersion = 40003;

// Window chrome and package dialogs.
inline constexpr std::uint32_t kTextVersionListTitle = 40153;
inline constexpr std::uint32_t kTextPackageInfoTitle = 40154;
inline constexpr std::uint32_t kTextInfoButton = 40155;
// The toolbar's tool tips are 40141-40152, in toolbar order (ui/ToolbarCommands.h).
inline constexpr std::uint32_t kTextHelpFailed = 61703;

}  // namespace quorfw
