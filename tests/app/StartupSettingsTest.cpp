#include "app/StartupSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include "app/BaudRateFile.h"
#include "app/DownloadReminder.h"
#include "app/MemorySettingsStore.h"
#include "app/PackageFolder.h"
#include "common/Clock.h"
#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

WallClockTime LocalTime(std::string_view text)
{
    const auto local = ParseLocalDateTime(text);
    EXPECT_TRUE(local.has_value()) << text;
    const auto wall = FromLocalDateTime(local.value_or(std::chrono::local_seconds{}));
    EXPECT_TRUE(wall.has_value()) << text;
    return wall.value_or(WallClockTime{});
}

EnvironmentLookup Environment(std::map<std::string, std::string> vars)
{
    return [vars = std::move(vars)](const char* name) -> std::optional<std::string> {
        const auto it = vars.find(name);
        return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

TEST(BaudRateFile, FirstLineGivesTheRate)
{
    struct Case {
        const char* content;
        std::uint32_t rate;
    };
    const Case cases[] = {
        {"57600\n", 57600},
        {"57600\r\n230400\n", 57600},
        {"9600", 9600},
        {"  19200 baud\n", 19200},
        {"4800\n", 115200},
        {"baud\n", 115200},
        {"\n57600\n", 115200},
        {"", 115200},
        {"-57600\n", 115200},
        {"99999999999999999\n", 115200},
        // Only 19 characters are read: the digits after them do not count.
        {"000000000000000000057600\n", 115200},
        {"0000000000000057600\n", 57600},
    };
    test::ScratchFolder folder;
    for (const Case& c : cases) {
        folder.Write(kBaudRateFileName, c.content);
        EXPECT_EQ(ReadBaudRateFile(folder / kBaudRateFileName), c.rate) << '"' << c.content << '"';
    }
    EXPECT_EQ(ReadBaudRateFile(folder / "missing.ini"), 115200u);
}

TEST(DownloadReminder, MoreThanTenWholeDaysOrUnreadable)
{
    const WallClockTime now = LocalTime("20.01.2025 12:00:00");
    struct Case {
        const char* lastUpdate;
        bool due;
    };
    const Case cases[] = {
        {"09.01.2025 13:00:00", false},  // 10 days 23 hours
        {"10.01.2025 12:00:00", false},  // exactly 10 days
        {"09.01.2025 12:00:00", true},   // 11 days
        {"2025-01-09 11:59:59", true},
        {"9.1.2025 12:00", true},
        {"21.01.2025 12:00:00", false},  // in the future
        {"01.01.2007 12:00:00", true},   // the default
        {"", true},
        {"yesterday", true},
        {"31.02.2025 12:00:00", true},   // no such day
        {"20.01.2025 25:00:00", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DownloadReminderDue(c.lastUpdate, now), c.due) << c.lastUpdate;
    EXPECT_EQ(WholeDaysSince("21.01.2025 11:00:00", now), 0) << "less than a day ahead truncates to 0";
    EXPECT_EQ(WholeDaysSince("25.01.2025 12:00:00", now), -5);
}

// Days are counted on the calendar: across the change to summer time 11 calendar days are
// 11 days, although only 10 days and 23 hours pass.
TEST(DownloadReminder, CountsCalendarDaysAcrossSummerTime)
{
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const WallClockTime now = LocalTime("31.03.2025 12:00:00");
    EXPECT_EQ(WholeDaysSince("20.03.2025 12:00:00", now), 11);
    EXPECT_TRUE(DownloadReminderDue("20.03.2025 12:00:00", now));
    if (previous)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

class PackageFolderTest : public ::testing::Test {
protected:
    test::ScratchFolder scratch_;
    std::string data_ = (scratch_ / "data").string();
};

TEST_F(PackageFolderTest, DefaultIsCreatedWhenItsParentExists)
{
    std::filesystem::create_directories(scratch_ / "data/quor");
    const std::string folder = PreparePackageFolder("", Environment({{"XDG_DATA_HOME", data_ + "/"}}));
    EXPECT_EQ(folder, data_ + "/quor/ModuleUpdate/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(PackageFolderTest, DefaultAndItsCompanyFolderAreCreatedInAnExistingDataHome)
{
    std::filesystem::create_directories(scratch_ / "data");
    const std::string folder = PreparePackageFolder("", Environment({{"XDG_DATA_HOME", data_}}));
    EXPECT_EQ(folder, data_ + "/quor/ModuleUpdate/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(PackageFolderTest, DefaultIsNotCreatedWithoutTheDataHome)
{
    const std::string folder = PreparePackageFolder("", Environment({{"XDG_DATA_HOME", data_}}));
    EXPECT_EQ(folder, data_ + "/quor/ModuleUpdate/");
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "data"));
}

TEST_F(PackageFolderTest, DefaultFollowsTheDataHome)
{
    const std::string home = scratch_.Path().string();
    EXPECT_EQ(DefaultPackageFolder(Environment({{"HOME", home}})), home + "/.local/share/quor/ModuleUpdate/");
    EXPECT_EQ(DefaultPackageFolder(Environment({{"HOME", home}, {"XDG_DATA_HOME", ""}})),
              home + "/.local/share/quor/ModuleUpdate/");
    EXPECT_EQ(DefaultPackageFolder(Environment({{"HOME", home}, {"XDG_DATA_HOME", "relative/data"}})),
              home + "/.local/share/quor/ModuleUpdate/");
    EXPECT_EQ(DefaultPackageFolder(Environment({{"HOME", home}, {"XDG_DATA_HOME", "/srv/data"}})),
              "/srv/data/quor/ModuleUpdate/");
}

TEST_F(PackageFolderTest, StoredPathIsUsedWithATrailingSlash)
{
    std::filesystem::create_directories(scratch_ / "data/quor");
    const auto env = Environment({{"XDG_DATA_HOME", data_}});
    EXPECT_EQ(PreparePackageFolder("/media/usb/packages", env), "/media/usb/packages/");
    EXPECT_EQ(PreparePackageFolder("/media/usb/packages/", env), "/media/usb/packages/");
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "data/quor/ModuleUpdate")) << "the default is not created";
}

class StartupSettingsTest : public ::testing::Test {
protected:
    StartupSettings Read() { return ReadStartupSettings(store_, clock_, scratch_ / kBaudRateFileName, env_); }

    test::ScratchFolder scratch_;
    MemorySettingsStore store_;
    VirtualClock clock_{LocalTime("20.01.2025 12:00:00")};
    EnvironmentLookup env_ = Environment({{"XDG_DATA_HOME", (scratch_ / "data").string()}});
};

TEST_F(StartupSettingsTest, FreshInstallation)
{
    std::filesystem::create_directories(scratch_ / "data/quor");
    const StartupSettings settings = Read();
    EXPECT_EQ(settings.baudRate, 115200u);
    EXPECT_EQ(settings.converterIndex, 0);
    EXPECT_EQ(settings.userName, "");
    EXPECT_EQ(settings.packageFolder, (scratch_ / "data").string() + "/quor/ModuleUpdate/");
    EXPECT_TRUE(std::filesystem::is_directory(settings.packageFolder));
    EXPECT_TRUE(settings.reminderDue) << "the default LastUpdate lies long past";
    EXPECT_EQ(store_.ReadInt(kSettingShowDownload, -1), 1);
    EXPECT_TRUE(settings.openOptionsDialog);
    EXPECT_FALSE(settings.downgradeAllowed);
    EXPECT_FALSE(store_.Contains(kSettingPath)) << "the default folder is stored at exit, not at start";
}

TEST_F(StartupSettingsTest, StoredValues)
{
    scratch_.Write(kBaudRateFileName, "57600\n");
    ASSERT_TRUE(store_.WriteInt(kSettingUsb, 1));
    ASSERT_TRUE(store_.WriteString(kSettingUsername, "Zoë Kovács"));
    ASSERT_TRUE(store_.WriteString(kSettingPath, "/srv/packages/"));
    const StartupSettings settings = Read();
    EXPECT_EQ(settings.baudRate, 57600u);
    EXPECT_EQ(settings.converterIndex, 1);
    EXPECT_EQ(settings.userName, "Zoë Kovács");
    EXPECT_EQ(settings.packageFolder, "/srv/packages/");
}

TEST_F(StartupSettingsTest, ReminderAfterElevenDaysSetsShowDownload)
{
    ASSERT_TRUE(store_.WriteInt(kSettingShowDownload, 0));
    ASSERT_TRUE(store_.WriteString(kSettingLastUpdate, "09.01.2025 12:00:00"));
    const StartupSettings settings = Read();
    EXPECT_TRUE(settings.reminderDue);
    EXPECT_EQ(store_.ReadInt(kSettingShowDownload, -1), 1);
    EXPECT_TRUE(settings.openOptionsDialog);
}

TEST_F(StartupSettingsTest, RecentDownloadAndShowDownloadOffOpenNothing)
{
    ASSERT_TRUE(store_.WriteInt(kSettingShowDownload, 0));
    ASSERT_TRUE(store_.WriteString(kSettingLastUpdate, "09.01.2025 13:00:00"));
    const StartupSettings settings = Read();
    EXPECT_FALSE(settings.reminderDue);
    EXPECT_EQ(store_.ReadInt(kSettingShowDownload, -1), 0);
    EXPECT_FALSE(settings.openOptionsDialog);
}

TEST_F(StartupSettingsTest, OnlyOneValueEnablesDowngrades)
{
    const std::pair<int, bool> cases[] = {{613475, true}, {613474, false}, {613476, false}, {1, false}, {0, false}};
    for (const auto& [value, allowed] : cases) {
        ASSERT_TRUE(store_.WriteInt(kSettingDowngradePossible, value));
        EXPECT_EQ(Read().downgradeAllowed, allowed) << value;
    }
    ASSERT_TRUE(store_.WriteString(kSettingDowngradePossible, "613475"));
    EXPECT_TRUE(Read().downgradeAllowed) << "a stored text reads as the number";
}

TEST_F(StartupSettingsTest, ExitStoresConverterAndFolder)
{
    EXPECT_TRUE(SaveExitSettings(store_, -1, "/srv/packages/"));
    EXPECT_EQ(store_.ReadInt(kSettingUsb, 0), -1);
    EXPECT_EQ(store_.ReadString(kSettingPath, ""), "/srv/packages/");
}

}  // namespace
}  // namespace quorfw
