#include "app/DownloadReminder.h"

#include "app/SettingsStore.h"

namespace quorfw {

std::optional<long> WholeDaysSince(std::string_view lastUpdate, WallClockTime now)
{
    const auto then = ParseLocalDateTime(lastUpdate);
    if (!then)
        return std::nullopt;
    // Both sides as local calendar time, so a summer-time change in between does not turn
    // 11 calendar days into 10 days and 23 hours. duration_cast truncates towards zero.
    return static_cast<long>(std::chrono::duration_cast<std::chrono::days>(ToLocalDateTime(now) - *then).count());
}

bool DownloadReminderDue(std::string_view lastUpdate, WallClockTime now)
{
    const auto days = WholeDaysSince(lastUpdate, now);
    return !days || *days > kReminderDays;
}

bool ApplyDownloadReminder(SettingsStore& settings, WallClockTime now)
{
    const std::string lastUpdate = settings.ReadString(kSettingLastUpdate, kDefaultLastUpdate);
    if (!DownloadReminderDue(lastUpdate, now))
        return false;
    // A lost write only means the options dialog does not open by itself this time.
    (void)settings.WriteInt(kSettingShowDownload, 1);
    return true;
}

}  // namespace quorfw
