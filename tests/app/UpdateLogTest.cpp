#include "app/UpdateLog.h"
#include "app/UpdateReport.h"
#include "app/VersionDisplay.h"

#include <gtest/gtest.h>

#include "common/Clock.h"
#include "common/ProgramVersion.h"
#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

WallClockTime LocalTime(std::string_view text)
{
    return FromLocalDateTime(ParseLocalDateTime(text).value()).value();
}

TEST(UpdateLog, EntriesAreTimeStampedAndAppendedAsTheyAre)
{
    test::ScratchFolder folder;
    VirtualClock clock(LocalTime("09.12.2024 14:05:33"));
    const UpdateLog log(folder.Path(), clock);
    EXPECT_FALSE(std::filesystem::exists(folder / "UpdateLog.txt"));

    EXPECT_TRUE(log.AppendUpdateLog("Looking for the control unit.\n"));
    clock.AdvanceMs(61'000);
    EXPECT_TRUE(log.AppendUpdateLog("Zentrale mit Version 2.5.4.0 programmiert.\n"));
    clock.AdvanceMs(1'000);
    EXPECT_TRUE(log.AppendUpdateLog("no line break"));
    EXPECT_TRUE(log.AppendUpdateLog("Latin-1 \xE4"));
    EXPECT_EQ(folder.Read("UpdateLog.txt"),
              "09.12.2024 14:05:33-Looking for the control unit.\n"
              "09.12.2024 14:06:34-Zentrale mit Version 2.5.4.0 programmiert.\n"
              "09.12.2024 14:06:35-no line break"
              "09.12.2024 14:06:35-Latin-1 \xEF\xBF\xBD");
}

TEST(UpdateLog, MissingFolderIsReportedNotCreated)
{
    test::ScratchFolder folder;
    VirtualClock clock;
    const UpdateLog log(folder / "gone", clock);
    EXPECT_FALSE(log.AppendUpdateLog("entry\n"));
    EXPECT_FALSE(std::filesystem::exists(folder / "gone"));
}

TEST(UpdateReport, LineIsOneXmlElementEndingInCrLf)
{
    EXPECT_EQ(BuildReportLine("http://tempuri.org/", "20050100005678", "Zoë Kovács", "6.4.10.0"),
              "<FirmwareUpdated xmlns=\"http://tempuri.org/\"><barcode>20050100005678</barcode>"
              "<user>Zoë Kovács</user><version>6.4.10.0</version></FirmwareUpdated>\r\n");
    EXPECT_EQ(BuildReportLine("urn:x", "1", "", ""),
              "<FirmwareUpdated xmlns=\"urn:x\"><barcode>1</barcode><user></user><version></version></FirmwareUpdated>\r\n");
}

// The line goes to the service as XML and the queue is read line by line: the values may
// break neither.
TEST(UpdateReport, ValuesAreEscaped)
{
    EXPECT_EQ(BuildReportLine("urn:x", "<barcode>&", "Smith & Sons <Service>\r\nB\x01\x7F\tC", "1.0\xFF"),
              "<FirmwareUpdated xmlns=\"urn:x\"><barcode>&lt;barcode&gt;&amp;</barcode>"
              "<user>Smith &amp; Sons &lt;Service&gt;&#13;&#10;B&#9;C</user>"
              "<version>1.0\xEF\xBF\xBD</version></FirmwareUpdated>\r\n");
}

TEST(UpdateReport, LinesAreQueuedInProgrammingOrder)
{
    test::ScratchFolder folder;
    const UpdateReport report(folder.Path(), "tech");
    EXPECT_TRUE(report.AppendReportLine("10030100001234", "2.5.4.0"));
    EXPECT_TRUE(report.AppendReportLine("20050100005678", "6.4.10.0"));
    EXPECT_EQ(folder.Read("UpdateLog-Report.txt"),
              "<FirmwareUpdated xmlns=\"http://tempuri.org/\"><barcode>10030100001234</barcode><user>tech</user>"
              "<version>2.5.4.0</version></FirmwareUpdated>\r\n"
              "<FirmwareUpdated xmlns=\"http://tempuri.org/\"><barcode>20050100005678</barcode><user>tech</user>"
              "<version>6.4.10.0</version></FirmwareUpdated>\r\n");

    const UpdateReport nowhere(folder / "gone", "tech");
    EXPECT_FALSE(nowhere.AppendReportLine("10030100001234", "2.5.4.0"));
}

TEST(VersionDisplay, ProgramAndTwoLanguageFiles)
{
    EXPECT_EQ(BuildVersionDisplayText("1.0.0.1", "1.0.0.2", "1.0.0.3"),
              "quorfwupdate Version: 1.0.0.1\r\n"
              "quorfwupdateresde.lang Version: 1.0.0.2\r\n"
              "quorfwupdateresen.lang Version: 1.0.0.3\r\n");

    test::ScratchFolder folder;
    folder.Write("quorfwupdateresen.lang", "#version 2.4.0.17\n2120\tScan\n");
    folder.Write("quorfwupdateresit.lang", "#version 9.9.9.9\n2120\tCerca\n");
    EXPECT_EQ(VersionDisplayText(folder.Path()), std::string("quorfwupdate Version: ") + kProgramVersion +
                                                     "\r\n"
                                                     "quorfwupdateresde.lang Version: \r\n"
                                                     "quorfwupdateresen.lang Version: 2.4.0.17\r\n");
}

// The build puts the language files where the program looks for them.
TEST(VersionDisplay, BuiltProgramFindsItsLanguageFiles)
{
    const std::string text = VersionDisplayText(QUORFW_BUILT_LANGUAGE_FOLDER);
    EXPECT_EQ(text, std::string("quorfwupdate Version: ") + kProgramVersion +
                        "\r\nquorfwupdateresde.lang Version: 1.0.0.1\r\nquorfwupdateresen.lang Version: 1.0.0.1\r\n");
}

}  // namespace
}  // namespace quorfw
