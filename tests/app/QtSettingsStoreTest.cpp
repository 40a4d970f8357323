#include "app/QtSettingsStore.h"

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder_.Path().string()));
    }

    test::ScratchFolder folder_;
    QtSettingsStore store_;
};

TEST_F(QtSettingsStoreTest, AbsentValuesGiveTheDefaults)
{
    EXPECT_EQ(store_.ReadInt("USB", 0), 0);
    EXPECT_EQ(store_.ReadInt("ShowDownload", 1), 1);
    EXPECT_EQ(store_.ReadString("LastUpdate", "01.01.2007 12:00:00"), "01.01.2007 12:00:00");
}

TEST_F(QtSettingsStoreTest, ValuesLiveInTheSettingsGroupOfTheApplication)
{
    EXPECT_TRUE(store_.WriteInt("DowngradePossible", 613475));
    EXPECT_TRUE(store_.WriteString("Username", "Zoë Kovács"));
    EXPECT_TRUE(store_.WriteInt("USB", -1));

    const QtSettingsStore other;
    EXPECT_EQ(other.ReadInt("DowngradePossible", 0), 613475);
    EXPECT_EQ(other.ReadString("Username", ""), "Zoë Kovács");
    EXPECT_EQ(other.ReadInt("USB", 0), -1);
    EXPECT_EQ(other.ReadString("USB", ""), "-1");

    QSettings raw("quor", "quorFWupdate");
    EXPECT_EQ(raw.value("Settings/DowngradePossible").toInt(), 613475);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "quor/quorFWupdate.conf"));
}

TEST_F(QtSettingsStoreTest, TextThatIsNoNumberReadsAsTheDefault)
{
    EXPECT_TRUE(store_.WriteString("ShowDownload", "yes"));
    EXPECT_EQ(store_.ReadInt("ShowDownload", 1), 1);
    EXPECT_TRUE(store_.WriteString("ShowDownload", "0"));
    EXPECT_EQ(store_.ReadInt("ShowDownload", 1), 0);
}

}  // namespace
}  // namespace quorfw
