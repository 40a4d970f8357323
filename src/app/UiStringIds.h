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

// String ids of backup, restore and the access-log export.
inline constexpr std::uint32_t kTextBackupFailed = 2192;
inline constexpr std::uint32_t kTextRestoreFailed = 2193;
inline constexpr std::uint32_t kTextOpenBackupTitle = 2194;
inline constexpr std::uint32_t kTextSaveBackupTitle = 2195;
inline constexpr std::uint32_t kTextExportLogTitle = 2196;
inline constexpr std::uint32_t kTextBackupSaved = 2197;
inline constexpr std::uint32_t kTextRestoreDone = 2198;  // users, templates 0-9, 10-14, 15-19
inline constexpr std::uint32_t kTextLogCsvNotCreated = 2199;
// Event texts of the access log by event code: '0'-'4', '6', '8', '9', 'A'-'D'.
inline constexpr std::uint32_t kTextLogEvent0 = 3001;
inline constexpr std::uint32_t kTextLogEvent1 = 3002;
inline constexpr std::uint32_t kTextLogEvent2 = 3003;
inline constexpr std::uint32_t kTextLogEvent3 = 3004;
inline constexpr std::uint32_t kTextLogEvent4 = 3005;
inline constexpr std::uint32_t kTextLogEvent6 = 3006;
inline constexpr std::uint32_t kTextLogEvent8 = 3007;
inline constexpr std::uint32_t kTextLogEvent9 = 3008;
inline constexpr std::uint32_t kTextLogEventA = 3009;
inline constexpr std::uint32_t kTextLogEventB = 3010;
inline constexpr std::uint32_t kTextLogEventC = 3011;
inline constexpr std::uint32_t kTextLogEventD = 3012;
// The nine column titles of the access-log CSV file, in column order.
inline constexpr std::uint32_t kTextLogCsvFirstColumn = 3050;
inline constexpr std::uint32_t kTextLogCsvLastColumn = 3058;
inline constexpr std::uint32_t kTextRestoreConfirm = 3782;
inline constexpr std::uint32_t kTextBackupFileUnreadable = 40004;
inline constexpr std::uint32_t kTextBackupFileNotCreated = 40005;
inline constexpr std::uint32_t kTextBackupNotVerified = 40006;
// Not a string id: the message is a fixed text of the program's own.
inline constexpr std::uint32_t kMessageOwnText = 0;
// Window chrome and package dialogs.
inline constexpr std::uint32_t kTextVersionListTitle = 40153;
inline constexpr std::uint32_t kTextPackageInfoTitle = 40154;
inline constexpr std::uint32_t kTextInfoButton = 40155;
// The toolbar's tool tips are 40141-40152, in toolbar order (ui/ToolbarCommands.h).
inline constexpr std::uint32_t kTextHelpFailed = 61703;

}  // namespace quorfw
