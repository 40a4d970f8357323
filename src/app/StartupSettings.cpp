#include "app/StartupSettings.h"

#include "app/BaudRateFile.h"
#include "app/DownloadReminder.h"
#include "app/PackageFolder.h"
#include "app/SettingsStore.h"
#include "common/Clock.h"

namespace quorfw {

StartupSettings ReadStartupSettings(SettingsStore& settings, Clock& clock, const std::filesystem::path& baudRateFile,
                                    const EnvironmentLookup& env)
{
    StartupSettings result;
    result.baudRate = ReadBaudRateFile(baudRateFile);
    result.converterIndex = settings.ReadInt(kSettingUsb, kDefaultUsb);
    result.userName = settings.ReadString(kSettingUsername, kDefaultUsername);
    result.packageFolder = PreparePackageFolder(settings.ReadString(kSettingPath, kDefaultPath), env);
    result.reminderDue = ApplyDownloadReminder(settings, clock.WallTime());
    result.downgradeAllowed =
        settings.ReadInt(kSettingDowngradePossible, kDefaultDowngradePossible) == kDowngradeEnabledValue;
    result.openOptionsDialog = settings.ReadInt(kSettingShowDownload, kDefaultShowDownload) == 1;
    return result;
}

bool SaveExitSettings(SettingsStore& settings, int converterIndex, const std::string& packageFolder)
{
    const bool usbWritten = settings.WriteInt(kSettingUsb, converterIndex);
    const bool pathWritten = settings.WriteString(kSettingPath, packageFolder);
    return usbWritten && pathWritten;
}

}  // namespace quorfw
