#pragma once

#include <string_view>

#include "app/LocalDateTime.h"

namespace quorfw {

class SettingsStore;

// More whole days than this since the last package download bring up the reminder.
inline constexpr long kReminderDays = 10;

// Whole days from the "LastUpdate" text to now, truncated towards zero (negative when the
// text lies in the future); nullopt when the text cannot be read.
std::optional<long> WholeDaysSince(std::string_view lastUpdate, WallClockTime now);

// True when the user should be reminded to look for new packages: more than kReminderDays
// whole days have passed, or the text cannot be read (it then counts as long past).
bool DownloadReminderDue(std::string_view lastUpdate, WallClockTime now);

// Reads "LastUpdate"; when the reminder is due, sets "ShowDownload" to 1 and returns true.
// The caller shows the reminder message.
bool ApplyDownloadReminder(SettingsStore& settings, WallClockTime now);

}  // namespace quorfw
