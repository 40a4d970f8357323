#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/UpdateReport.h"
#include "packages/PackageFolder.h"
#include "service/DownloadThread.h"
#include "service/ProgramUpdateFile.h"
#include "service/ReportQueue.h"
#include "service/UpdateServiceClient.h"
#include "tests/service/ServiceTestSupport.h"
#include "tools/PackageManifest.h"

namespace quorfw::test {
namespace {

std::string Report(const std::string& serial)
{
    return BuildReportLine(kUpdateServiceNamespace, serial, "tech", "3.0.4.20");
}

class DownloadRunTest : public testing::Test {
protected:
    // One whole run against the simulated service (or the given port).
    DownloadThread& Run(int port = -1)
    {
        run_ = std::make_unique<DownloadThread>(DownloadSetup{
            {"127.0.0.1", port < 0 ? service_.port : port}, packages_.Path(), program_.Path(), {}});
        EXPECT_TRUE(run_->Start());
        run_->Join();
        EXPECT_FALSE(run_->Running());
        return *run_;
    }

    std::vector<std::string> Asked(const std::string& operation) const
    {
        std::vector<std::string> arguments;
        for (const ServiceRequestRecord& request : service_.simulator.Received()) {
            if (request.operation == operation) {
                arguments.push_back(request.argument);
            }
        }
        return arguments;
    }

    LocalService service_;
    ScratchFolder packages_;
    ScratchFolder program_;
    std::unique_ptr<DownloadThread> run_;
};

TEST_F(DownloadRunTest, AllPackagesPresentStillSendsTheReports)
{
    service_.simulator.Offer("ZQ", "zq.qup");
    service_.files.Write("zq.qup", "new");
    packages_.Write("zq.qup", "already here");
    packages_.Write("UpdateLog-Report.txt", Report("10030100000001") + Report("10030100000002"));

    DownloadThread& run = Run();
    EXPECT_EQ(run.DownloadResult(), 0);
    EXPECT_FALSE(run.ProgramUpdated());
    EXPECT_EQ(run.Reports().sent, 2);
    EXPECT_EQ(packages_.Read("zq.qup"), "already here");
    EXPECT_FALSE(std::filesystem::exists(packages_ / "UpdateLog-Report.txt"));
    EXPECT_FALSE(std::filesystem::exists(packages_ / "UpdateLog-Reporting.txt"));

    std::vector<std::string> expected(kHardwareCodes.begin(), kHardwareCodes.end());
    expected.insert(expected.end(), {"BaseUpdate", "quorFWupdate"});
    EXPECT_EQ(Asked("GetFirmwareVersion"), expected);
    EXPECT_EQ(Asked("FirmwareUpdated"), (std::vector<std::string>{Report("10030100000001"), Report("10030100000002")}));
}

TEST_F(DownloadRunTest, NewPackagesAreDownloadedAndTheBasePackageDoesNotCount)
{
    service_.simulator.Offer("BaseUpdate", "base.qup");
    service_.files.Write("base.qup", "base");
    EXPECT_EQ(Run().DownloadResult(), 0);
    EXPECT_EQ(packages_.Read("base.qup"), "base");

    service_.simulator.Offer("QMX", "qmx.qup");
    service_.files.Write("qmx.qup", "qmx");
    EXPECT_EQ(Run().DownloadResult(), 1);
    EXPECT_EQ(packages_.Read("qmx.qup"), "qmx");
}

TEST_F(DownloadRunTest, UnreachableServiceLeavesTheQueueUntouched)
{
    const std::string queue = Report("10030100000001");
    packages_.Write("UpdateLog-Report.txt", queue);
    DownloadThread& run = Run(ClosedLoopbackPort());
    EXPECT_EQ(run.DownloadResult(), -1);
    EXPECT_EQ(packages_.Read("UpdateLog-Report.txt"), queue);
    EXPECT_FALSE(std::filesystem::exists(packages_ / "UpdateLog-Reporting.txt"));
}

TEST_F(DownloadRunTest, AServiceErrorForEveryCodeIsNothingNewNotUnreachable)
{
    service_.simulator.Offer("ZQ", "zq.qup");
    service_.files.Write("zq.qup", "new");
    for (const ServiceFaults& faults : {ServiceFaults{.status500 = true}, ServiceFaults{.noResultElement = true}}) {
        service_.simulator.SetFaults(faults);
        EXPECT_EQ(Run().DownloadResult(), 0);
        EXPECT_FALSE(std::filesystem::exists(packages_ / "zq.qup"));
    }
    service_.simulator.SetFaults({.emptyBody = true});
    EXPECT_EQ(Run().DownloadResult(), -1);
}

TEST_F(DownloadRunTest, ARefusedReportIsKeptAloneForTheNextRun)
{
    packages_.Write("UpdateLog-Report.txt",
                    Report("10030100000001") + Report("10030100000002") + Report("10030100000003"));
    service_.simulator.SetFaults({.refuseReportsContaining = {"10030100000002"}});
    DownloadThread& run = Run();
    EXPECT_EQ(run.Reports().sent, 2);
    EXPECT_EQ(run.Reports().kept, 1);
    EXPECT_EQ(packages_.Read("UpdateLog-Report.txt"), Report("10030100000002"));
    EXPECT_FALSE(std::filesystem::exists(packages_ / "UpdateLog-Reporting.txt"));
}

TEST_F(DownloadRunTest, ALeftoverSendingFileGoesFirstAndOddLinesAreSentWhole)
{
    const std::string longLine = Report(std::string(400, '7'));
    std::string unterminated = Report("last");
    unterminated.resize(unterminated.size() - 2);
    packages_.Write("UpdateLog-Reporting.txt", Report("10030100000001") + "\r\n");
    packages_.Write("UpdateLog-Report.txt", Report("10030100000002") + longLine + unterminated);
    service_.simulator.SetFaults({.refuseReportsContaining = {"10030100000002", "last"}});

    DownloadThread& run = Run();
    EXPECT_EQ(Asked("FirmwareUpdated"),
              (std::vector<std::string>{Report("10030100000001"), Report("10030100000002"), longLine, unterminated}));
    EXPECT_EQ(run.Reports().sent, 2);
    // Kept in order, the unterminated one now ending its line.
    EXPECT_EQ(packages_.Read("UpdateLog-Report.txt"), Report("10030100000002") + unterminated + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(packages_ / "UpdateLog-Reporting.txt"));
}

TEST_F(DownloadRunTest, AddressesThatWouldLeaveThePackageFolderAreRefused)
{
    const char* hostile[] = {"http://127.0.0.1/files/..", "http://127.0.0.1/files/", "http://127.0.0.1/files/a\\..\\..\\x.qup",
                             "http://127.0.0.1/files/..\\x.qup"};
    for (std::size_t k = 0; k < std::size(hostile); ++k) {
        service_.simulator.OfferAddress(std::string(kHardwareCodes[k]), hostile[k]);
    }
    EXPECT_EQ(Run().DownloadResult(), 0);
    for (const ServiceRequestRecord& request : service_.simulator.Received()) {
        EXPECT_EQ(request.method, "POST") << request.path;
    }
    EXPECT_TRUE(std::filesystem::is_empty(packages_.Path()));
}

TEST_F(DownloadRunTest, AFileCutOffMidwayIsRejectedByTheFolderScan)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(BuildPackageFromManifest("format = 1\nkey = 0x11C2D3E0\nheader = long\ntitle = T\nname = N\n"
                                         "articles = 100301\n[section 0]\nversion = 3.0.4.20\n"
                                         "data = generate settings size=20000 seed=3\n",
                                         service_.files.Path(), false, bytes, error))
        << error;
    service_.files.Write("zq.qup", std::string(bytes.begin(), bytes.end()));
    service_.simulator.Offer("ZQ", "zq.qup");
    service_.simulator.SetFaults({.closeMidFile = true});

    EXPECT_EQ(Run().DownloadResult(), 1);
    ASSERT_TRUE(std::filesystem::exists(packages_ / "zq.qup"));
    EXPECT_EQ(std::filesystem::file_size(packages_ / "zq.qup"), bytes.size() / 2);
    EXPECT_TRUE(LoadPackageFolder(packages_.Path()).empty());

    // The whole file, as a check that the scan takes the package when it is complete.
    std::filesystem::remove(packages_ / "zq.qup");
    service_.simulator.SetFaults({});
    EXPECT_EQ(Run().DownloadResult(), 1);
    EXPECT_EQ(LoadPackageFolder(packages_.Path()).size(), 1u);
}

TEST_F(DownloadRunTest, AProgramUpdateIsInstalledOnceWithOldCopies)
{
    program_.Write("quorfwupdate", "program 1");
    service_.files.Write("prog-2.upd", EncodeProgramUpdate({{"quorfwupdate", "program 2"}, {"helper.txt", "help"}}));
    service_.simulator.Offer("quorFWupdate", "prog-2.upd");

    EXPECT_TRUE(Run().ProgramUpdated());
    EXPECT_EQ(program_.Read("quorfwupdate"), "program 2");
    EXPECT_EQ(program_.Read("quorfwupdate.old"), "program 1");
    EXPECT_EQ(program_.Read("helper.txt"), "help");
    EXPECT_TRUE(std::filesystem::exists(packages_ / "prog-2.upd"));

    // The same update again is already in the folder: nothing is installed a second time.
    EXPECT_FALSE(Run().ProgramUpdated());
    EXPECT_EQ(program_.Read("quorfwupdate.old"), "program 1");
}

TEST_F(DownloadRunTest, AProgramUpdateCutOffMidwayIsNotInstalledAndFetchedAgainLater)
{
    program_.Write("quorfwupdate", "program 1");
    service_.files.Write("prog-2.upd", EncodeProgramUpdate({{"helper.txt", std::string(4000, 'h')},
                                                            {"quorfwupdate", std::string(4000, 'p')}}));
    service_.simulator.Offer("quorFWupdate", "prog-2.upd");
    service_.simulator.SetFaults({.closeMidFile = true});
    EXPECT_FALSE(Run().ProgramUpdated());
    EXPECT_FALSE(std::filesystem::exists(packages_ / "prog-2.upd"));
    EXPECT_FALSE(std::filesystem::exists(program_ / "helper.txt"));
    EXPECT_EQ(program_.Read("quorfwupdate"), "program 1");

    service_.simulator.SetFaults({});
    EXPECT_TRUE(Run().ProgramUpdated());
    EXPECT_EQ(program_.Read("quorfwupdate"), std::string(4000, 'p'));
}

TEST(DownloadThread, ASecondRunDoesNotStartWhileOneGoes)
{
    LocalService service;
    service.simulator.SetFaults({.slowMs = 200});
    ScratchFolder packages;
    DownloadThread run(DownloadSetup{{"127.0.0.1", service.port}, packages.Path(), packages.Path(), {}});
    ASSERT_TRUE(run.Start());
    EXPECT_TRUE(run.Running());
    EXPECT_FALSE(run.Start());
    service.simulator.SetFaults({});
    run.Join();
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(run.Start());
    run.Join();
}

TEST(SplitReportLines, CompleteLinesKeepTheirEndsAndBlankOnesGo)
{
    EXPECT_EQ(SplitReportLines("a\r\n\r\nb\r\nc"), (std::vector<std::string>{"a\r\n", "b\r\n", "c"}));
    EXPECT_EQ(SplitReportLines("x\ny\r\n"), (std::vector<std::string>{"x\ny\r\n"}));
    EXPECT_TRUE(SplitReportLines("").empty());
}

}  // namespace
}  // namespace quorfw::test
