#include "service/DownloadOutcome.h"

#include "app/SettingsStore.h"
#include "app/UiStringIds.h"

namespace quorfw {

std::vector<std::uint32_t> DownloadOutcomeMessages(int downloadResult, bool programUpdated)
{
    std::vector<std::uint32_t> messages;
    if (programUpdated) {
        messages.push_back(kTextProgramUpdated);
    }
    if (downloadResult == -1) {
        messages.push_back(kTextServiceUnreachable);
    } else if (downloadResult == 1) {
        messages.push_back(kTextPackagesDownloaded);
    } else {
        messages.push_back(kTextNoNewPackages);
    }
    return messages;
}

bool WriteLastUpdate(SettingsStore& settings, WallClockTime now)
{
    return settings.WriteString(kSettingLastUpdate, FormatLocalDateTime(now));
}

}  // namespace quorfw
