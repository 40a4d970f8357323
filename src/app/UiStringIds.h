#pragma once

#include <cstdint>

namespace quorfw {

// String ids of the main window and the scan-and-update operation.
inline constexpr std::uint32_t kTextConverterLabel = 2104;
inline constexpr std::uint32_t kTextSerialColumn = 2106;
inline constexpr std::uint32_t kTextVersionColumn = 2107;
inline constexpr std::uint32_t kTextAvailableColumn = 2108;
inline constexpr std::uint32_t kTextUpdateColumn = 2109;
inline constexpr std::uint32_t kTextCloseWhileRunning = 2113;
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
inline constexpr std::uint32_t kTextProgramClosed = 2145;
inline constexpr std::uint32_t kTextStepCounter = 2149;  // done, total
inline constexpr std::uint32_t kTextDownloadReminder = 2153;
inline constexpr std::uint32_t kTextUpdateFailedMessage = 2157;
inline constexpr std::uint32_t kTextUpdateOffered = 2165;
inline constexpr std::uint32_t kTextUpdateNotOffered = 2166;
inline constexpr std::uint32_t kTextProgramming = 2168;  // serial
inline constexpr std::uint32_t kTextUnitNotice = 2169;
// Column headers of the package lists (version list, device firmware selection): title,
// name, and the version of a section by the module types it serves.
inline constexpr std::uint32_t kTextColumnTitle = 2110;
inline constexpr std::uint32_t kTextColumnName = 2117;
inline constexpr std::uint32_t kTextColumnSection1 = 2118;   // types 1 and 9
inline constexpr std::uint32_t kTextColumnSection0 = 2119;   // type 6
inline constexpr std::uint32_t kTextColumnSection7 = 2160;   // type 3
inline constexpr std::uint32_t kTextColumnSection2 = 2190;   // type 2
inline constexpr std::uint32_t kTextColumnSection3 = 2191;   // type 5, the device firmware
inline constexpr std::uint32_t kTextColumnSection8 = 2200;   // type 8
inline constexpr std::uint32_t kTextColumnSection9 = 2201;   // type 10
inline constexpr std::uint32_t kTextColumnSection10 = 2202;  // type 11
inline constexpr std::uint32_t kTextColumnSection11 = 2203;  // type 12
inline constexpr std::uint32_t kTextColumnSection12 = 2204;  // type 7
// The Wiegand settings dialog: the message of a failed check, then the labels.
inline constexpr std::uint32_t kTextWiegandInvalid = 3100;
inline constexpr std::uint32_t kTextWiegandSerialLabel = 3101;
inline constexpr std::uint32_t kTextWiegandVersionLabel = 3102;
inline constexpr std::uint32_t kTextWiegandOemCodeLengthLabel = 3103;
inline constexpr std::uint32_t kTextWiegandFacilityCodeLengthLabel = 3104;
inline constexpr std::uint32_t kTextWiegandUserIdLengthLabel = 3105;
inline constexpr std::uint32_t kTextWiegandScanner1Label = 3106;  // 3106-3109: scanners 1-4
inline constexpr std::uint32_t kTextWiegandSerialColumn = 3110;
inline constexpr std::uint32_t kTextWiegandFacilityCodeColumn = 3111;
inline constexpr std::uint32_t kTextWiegandProtocolGroup = 3112;
inline constexpr std::uint32_t kTextWiegandOemCodeLabel = 3113;
inline constexpr std::uint32_t kTextWiegandPerScannerRadio = 3114;
inline constexpr std::uint32_t kTextWiegandOk = 3115;
inline constexpr std::uint32_t kTextWiegandCommand = 2171;
inline constexpr std::uint32_t kTextDeviceFirmwareCommand = 2173;
inline constexpr std::uint32_t kTipOptions = 3776;
inline constexpr std::uint32_t kTipVersions = 3777;
inline constexpr std::uint32_t kTipHelp = 3778;
inline constexpr std::uint32_t kTipExit = 3779;
inline constexpr std::uint32_t kTextUpdateConfirm = 3781;
// How a programmed station was found after its restart: serial, version.
inline constexpr std::uint32_t kTextRestartVerified = 40001;
inline constexpr std::uint32_t kTextRestartNotBack = 40002;
inline constexpr std::uint32_t kTextRestartOtherVersion = 40003;
// How the Wiegand write and the device firmware programming ended.
inline constexpr std::uint32_t kTextWiegandWritten = 40020;
inline constexpr std::uint32_t kTextWiegandNotConfirmed = 40021;
inline constexpr std::uint32_t kTextNothingSentNoUnit = 40022;
inline constexpr std::uint32_t kTextDeviceFirmwareProgrammed = 40023;  // version
inline constexpr std::uint32_t kTextDeviceFirmwareFailed = 40024;      // code
inline constexpr std::uint32_t kTextDeviceFirmwareNoScanner = 40025;
// Serial number, version: back with the new firmware, its saved settings not all taken.
inline constexpr std::uint32_t kTextRestartSettingsLost = 40010;
// The update's scan found another installation than the one shown; nothing was programmed.
inline constexpr std::uint32_t kTextInstallationChanged = 40011;
inline constexpr std::uint32_t kTextWindowCaption = 40100;  // the main window's caption

// String ids of the options dialog and the end of a download run.
inline constexpr std::uint32_t kTextOptionsOk = 2111;
inline constexpr std::uint32_t kTextProgramUpdated = 2112;
inline constexpr std::uint32_t kTextProductLineA = 2123;
inline constexpr std::uint32_t kTextProductLineB = 2125;
inline constexpr std::uint32_t kTextOptionsTitle = 2126;
inline constexpr std::uint32_t kTextProductLines = 2127;
inline constexpr std::uint32_t kTextPackagesDownloaded = 2146;
inline constexpr std::uint32_t kTextNoNewPackages = 2147;
inline constexpr std::uint32_t kTextShowOptionsAtStart = 2148;
inline constexpr std::uint32_t kTextServiceUnreachable = 2154;
inline constexpr std::uint32_t kTextProductLineC = 2156;
inline constexpr std::uint32_t kTextProductLineE = 2159;
inline constexpr std::uint32_t kTextProductLineH = 2170;
inline constexpr std::uint32_t kTextProductLineD = 2999;
inline constexpr std::uint32_t kTextProductLineG = 3000;
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
