#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/MemorySettingsStore.h"
#include "app/SettingsStore.h"
#include "app/UiStringIds.h"
#include "cli/CliVerbs.h"
#include "bus/ConverterHub.h"
#include "common/Clock.h"
#include "sim/StrictJson.h"
#include "tests/app/SimulatedInstallationFixture.h"
#include "tests/service/ServiceTestSupport.h"
#include "app/LocalDateTime.h"
#include "app/UpdateReport.h"

namespace quorfw::test {
namespace {

using Json = nlohmann::ordered_json;

// The verbs run in process on a virtual clock, without hardware converters.
class CliVerbsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* binary = std::getenv("QUORFW_BINARY_DIR");
        ASSERT_NE(binary, nullptr);
        (void)SetUpUiStrings(std::filesystem::path(binary) / "src/app/lang", "en_US.UTF-8");
    }

    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("quorfw-cli-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "packages");
        std::filesystem::create_directories(root_ / "home");
    }

    void TearDown() override { std::filesystem::remove_all(root_); }

    void AddPackage(const std::string& fileName, const std::string& manifest)
    {
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(BuildPackageFromManifest(manifest, root_, false, bytes, error)) << error;
        WriteFile(fileName, std::string(bytes.begin(), bytes.end()));
    }

    void WriteFile(const std::string& fileName, const std::string& bytes)
    {
        std::ofstream file(root_ / "packages" / fileName, std::ios::binary);
        file << bytes;
    }

    int Run(std::vector<std::string> words)
    {
        out_.str({});
        err_.str({});
        const std::string home = (root_ / "home").string();
        CliContext context{
            out_,
            err_,
            settings,
            [home](const char* name) -> std::optional<std::string> {
                if (std::string_view(name) == "HOME") {
                    return home;
                }
                return std::nullopt;
            },
            clock,
            root_ / "quorFWupdate.ini",
            [this](Clock& hubClock) {
                auto hub = std::make_unique<ConverterHub>();
                if (simulatedHardware) {
                    // Stands in for a machine's converter, listed without --simulate.
                    (void)hub->Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(hubClock));
                }
                return hub;
            },
            false,
        };
        return RunCliVerb(words, context);
    }

    [[nodiscard]] std::string Folder() const { return (root_ / "packages").string(); }
    [[nodiscard]] std::string Out() const { return out_.str(); }
    [[nodiscard]] std::string Err() const { return err_.str(); }

    static Json ParseJson(const std::string& text)
    {
        JsonError error;
        auto value = StrictJson::Parse(text, error);
        EXPECT_TRUE(value) << error.ToText() << "\n" << text;
        return value ? *value : Json{};
    }

    static std::string StringAt(const Json& object, const char* key)
    {
        return object.contains(key) && object[key].is_string() ? object[key].get<std::string>() : std::string("<missing>");
    }

    VirtualClock clock;
    MemorySettingsStore settings;
    bool simulatedHardware = false;

private:
    std::filesystem::path root_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CliVerbsTest, UsageErrorsExitWithTwoAndSayWhy)
{
    const struct {
        std::vector<std::string> words;
        const char* says;
    } cases[] = {
        {{}, "usage:"},
        {{"flash"}, "unknown command: flash"},
        {{"scan", "--package", "1"}, "unknown option: --package"},
        {{"scan", "--simulate", "--converter", "nope"}, "unknown converter: nope (connected: sim)"},
        {{"packages", "--folder", "/nonexistent/quorfw"}, "package folder not found: /nonexistent/quorfw"},
        {{"scan", "--simulate=/nonexistent/inst.json"}, "cannot read the installation /nonexistent/inst.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.words), kExitUsage) << c.says;
        EXPECT_NE(Err().find(c.says), std::string::npos) << Err();
    }
}

TEST_F(CliVerbsTest, NoConverterWithoutSimulationFails)
{
    EXPECT_EQ(Run({"scan", "--folder", Folder()}), kExitFailed);
    EXPECT_NE(Err().find("no bus converter found"), std::string::npos) << Err();
}

TEST_F(CliVerbsTest, ConvertersListsTheSimulation)
{
    EXPECT_EQ(Run({"converters", "--simulate", "--json"}), kExitOk);
    const Json listing = ParseJson(Out());
    ASSERT_TRUE(listing.contains("converters"));
    EXPECT_EQ(listing["converters"], Json::array({"sim"}));
}

TEST_F(CliVerbsTest, PackagesNamesUnreadableFiles)
{
    AddPackage("good.qup", InstallationManifest(PackageVersions{}, "Good"));
    WriteFile("broken.QUP", "not a package");
    EXPECT_EQ(Run({"packages", "--folder", Folder(), "--json"}), kExitOk);
    const Json listing = ParseJson(Out());
    ASSERT_TRUE(listing.contains("packages") && listing["packages"].is_array());
    ASSERT_EQ(listing["packages"].size(), 1u);
    const Json& good = listing["packages"][0];
    EXPECT_EQ(StringAt(good, "file"), "good.qup");
    EXPECT_EQ(StringAt(good, "name"), "Good");
    ASSERT_TRUE(good.contains("articles"));
    EXPECT_EQ(good["articles"].size(), 4u);
    ASSERT_TRUE(good.contains("versions"));
    EXPECT_EQ(good["versions"].size(), 4u);
    EXPECT_NE(Err().find("broken.QUP"), std::string::npos) << Err();
}

TEST_F(CliVerbsTest, JsonOutputKeepsMemberOrderAndReplacesBytesThatAreNotUtf8)
{
    // A file name is whatever bytes the file system holds; the line must stay valid JSON.
    AddPackage("b\xFF" "d.qup", InstallationManifest(PackageVersions{}, "Good"));
    ASSERT_EQ(Run({"packages", "--folder", Folder(), "--json"}), kExitOk) << Err();
    const std::string out = Out();
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
    const std::string tail = R"(","packages":[{"index":0,"file":"b)" "\xEF\xBF\xBD" R"(d.qup","title":"Good title",)"
                             R"("name":"Good","articles":["100301","200501","200601","300701"],"versions":[)"
                             R"({"section":0,"version":"3.0.4.20"},{"section":3,"version":"6.4.10.0"},)"
                             R"({"section":7,"version":"2.5.4.0"},{"section":12,"version":"1.2.1.0"}]}]})" "\n";
    EXPECT_EQ(out.rfind(R"({"ok":true,"folder":")", 0), 0u) << out;
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(ParseJson(out)["packages"][0]["file"], "b\xEF\xBF\xBD" "d.qup");
}

TEST_F(CliVerbsTest, ScanJsonDescribesTheInstallation)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    ASSERT_EQ(Run({"scan", "--simulate", "--folder", Folder(), "--json"}), kExitOk) << Err();
    const Json scan = ParseJson(Out());
    EXPECT_EQ(scan.value("ok", false), true);
    ASSERT_TRUE(scan.contains("unit") && scan["unit"].is_object());
    const Json& unit = scan["unit"];
    EXPECT_EQ(StringAt(unit, "serial"), "10030100001234");
    EXPECT_EQ(StringAt(unit, "address"), "0x21000001");
    EXPECT_EQ(StringAt(unit, "version"), "2.5.3.10");
    EXPECT_EQ(StringAt(unit, "available"), "2.5.4.0");
    ASSERT_TRUE(scan.contains("modules") && scan["modules"].is_array());
    ASSERT_EQ(scan["modules"].size(), 3u);
    const Json& keypad = scan["modules"][2];
    EXPECT_EQ(keypad.value("slot", -1), 2);
    EXPECT_EQ(keypad.value("type", -1), 7);
    EXPECT_EQ(keypad.value("offered", false), true);
    EXPECT_EQ(StringAt(keypad, "state"), LoadUiString(kTextUpdateOffered));
    EXPECT_EQ(scan.value("packages", Json::array()).size(), 1u);
    EXPECT_EQ(scan.value("selected", -1), 0);
}

// A technician scans before any package is there: every station the scan found is listed,
// and the run still ends as failed because no package fits.
TEST_F(CliVerbsTest, StationsAreListedWhenNoPackageFits)
{
    const std::vector<std::string> serials = {"10030100001234", "20050100005678", "20060100009012",
                                              "30070100003456"};
    for (const char* verb : {"scan", "update"}) {
        SCOPED_TRACE(verb);
        EXPECT_EQ(Run({verb, "--simulate", "--folder", Folder()}), kExitFailed) << Err();
        for (const std::string& serial : serials) {
            EXPECT_NE(Out().find(serial), std::string::npos) << Out();
        }
        EXPECT_NE(Out().find("2     0x80345678  7     30070100003456  1.2.0.5"), std::string::npos) << Out();
        EXPECT_NE(Out().find("No package fits every station found."), std::string::npos);

        ASSERT_EQ(Run({verb, "--simulate", "--folder", Folder(), "--json"}), kExitFailed) << Err();
        std::istringstream lines(Out());
        std::string line;
        std::string last;
        while (std::getline(lines, line)) {
            last = line;
        }
        const nlohmann::json result = nlohmann::json::parse(last, nullptr, false);
        ASSERT_TRUE(result.is_object()) << last;
        EXPECT_EQ(result.value("ok", true), false);
        ASSERT_TRUE(result["unit"].is_object()) << last;
        EXPECT_EQ(result["unit"].value("serial", ""), serials[0]);
        EXPECT_EQ(result["unit"].value("type", 0), 3);
        const nlohmann::json& modules = result["modules"];
        ASSERT_TRUE(modules.is_array()) << last;
        ASSERT_EQ(modules.size(), 3u) << last;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(modules[i].value("slot", -1), static_cast<int>(i));
            EXPECT_EQ(modules[i].value("serial", ""), serials[i + 1]);
            EXPECT_EQ(modules[i].value("offered", true), false);
        }
        EXPECT_EQ(modules[1].value("address", ""), "0x50234567");
        EXPECT_EQ(modules[1].value("version", ""), "3.0.4.19");
        EXPECT_EQ(modules[2].value("type", 0), 7);
        EXPECT_TRUE(result["packages"].empty());
    }
}

TEST_F(CliVerbsTest, UpdateJsonStreamsEventsAndEndsWithCheckedRows)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    ASSERT_EQ(Run({"update", "--simulate", "--folder", Folder(), "--json"}), kExitOk) << Err();
    std::istringstream lines(Out());
    std::string line;
    std::vector<Json> events;
    while (std::getline(lines, line)) {
        events.push_back(ParseJson(line));
        if (StringAt(events.back(), "event") == "steps") {
            EXPECT_EQ(line.rfind(R"({"event":"steps","done":)", 0), 0u) << line;
        }
    }
    ASSERT_FALSE(events.empty());
    int steps = 0;
    int logs = 0;
    for (const Json& event : events) {
        const std::string kind = StringAt(event, "event");
        steps += kind == "steps" ? 1 : 0;
        logs += kind == "log" ? 1 : 0;
    }
    EXPECT_GT(steps, 0);
    EXPECT_GT(logs, 0);
    const Json& result = events.back();
    EXPECT_EQ(StringAt(result, "event"), "result");
    EXPECT_EQ(result.value("ok", false), true);
    ASSERT_TRUE(result.contains("modules") && !result["modules"].empty());
    const Json& scanner = result["modules"][0];
    EXPECT_EQ(StringAt(scanner, "version"), "6.4.10.0");  // read back after the restart
    EXPECT_EQ(StringAt(scanner, "restart"), "verified");
}

TEST_F(CliVerbsTest, UpdateRefusesAPackageIndexTheSelectorDoesNotHave)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    EXPECT_EQ(Run({"update", "--simulate", "--folder", Folder(), "--package", "1"}), kExitUsage);
    EXPECT_NE(Err().find("lists 1 package(s)"), std::string::npos) << Err();
}

TEST_F(CliVerbsTest, UpdateWithNothingOfferedProgramsNothing)
{
    AddPackage("same.qup", InstallationManifest(PackageVersions{"2.5.3.10", "6.4.9.1", "3.0.4.19", "1.2.0.5"}));
    EXPECT_EQ(Run({"update", "--simulate", "--folder", Folder()}), kExitOk) << Err();
    EXPECT_NE(Out().find("nothing was programmed"), std::string::npos) << Out();
    EXPECT_EQ(Out().find("Programming"), std::string::npos);
}

TEST_F(CliVerbsTest, TheUsbSettingChoosesTheConverter)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    simulatedHardware = true;
    ASSERT_TRUE(settings.WriteInt("USB", 0));
    EXPECT_EQ(Run({"scan", "--folder", Folder()}), kExitOk) << Err();
    EXPECT_NE(Out().find("Converter sim"), std::string::npos) << Out();
    EXPECT_NE(Out().find("Scan: ok"), std::string::npos) << Out();

    ASSERT_TRUE(settings.WriteInt("USB", 1));
    EXPECT_EQ(Run({"scan", "--folder", Folder()}), kExitUsage);
    EXPECT_NE(Err().find("no converter selected (the stored selection is 1; connected: sim)"), std::string::npos)
        << Err();
}

TEST_F(CliVerbsTest, SimulateTakesAnInstallationFile)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string file = std::string(source) + "/data/installation-default.json";
    ASSERT_EQ(Run({"scan", "--simulate=" + file, "--folder", Folder(), "--json"}), kExitOk) << Err();
    const Json scan = ParseJson(Out());
    EXPECT_EQ(StringAt(scan, "converter"), "sim");
    EXPECT_EQ(scan.value("modules", Json::array()).size(), 3u);
}

std::string DataFile(const char* name)
{
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/data/" + name;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(CliVerbsTest, WiegandShowsChecksAndWritesTheUnitSettings)
{
    ASSERT_TRUE(settings.WriteString(kSettingPath, Folder() + "/"));
    const auto log = [this] {
        std::ifstream in(Folder() + "/UpdateLog.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string simulate = "--simulate=" + DataFile("installation-wiegand.json");
    ASSERT_EQ(Run({"wiegand", simulate, "--json"}), kExitOk) << Err();
    const auto shown = nlohmann::json::parse(Out());
    EXPECT_EQ(shown["written"], false);
    EXPECT_EQ(shown["settings"]["facilityCodeLength"], 8);
    EXPECT_EQ(shown["settings"]["totalBits"], 24);
    EXPECT_EQ(shown["settings"]["scanners"][0]["serial"], "93245500001111");
    EXPECT_EQ(shown["settings"]["scanners"][1]["facilityCode"], 18);

    // A refused value: message 3100 and the option, nothing sent (the log shows the scan only).
    std::filesystem::remove(Folder() + "/UpdateLog.txt");
    EXPECT_EQ(Run({"wiegand", simulate, "--user-id-length", "2", "--oem-length", "34"}), kExitUsage);
    EXPECT_NE(Err().find(LoadUiString(kTextWiegandInvalid)), std::string::npos) << Err();
    EXPECT_NE(Err().find("--oem-length: \"34\""), std::string::npos) << Err();
    EXPECT_EQ(Count(log(), LoadUiString(kTextScanStart)), 1u);

    ASSERT_EQ(Run({"wiegand", simulate, "--facility-code", "7", "--json"}), kExitOk) << Err();
    const auto written = nlohmann::json::parse(Out());
    EXPECT_EQ(written["written"], true);
    EXPECT_EQ(written["settings"]["facilityCode"], 7);
    EXPECT_EQ(written["settings"]["scanners"][0]["serial"], "");
    EXPECT_EQ(Count(log(), LoadUiString(kTextScanStart)), 3u);  // scan, scan, write

    EXPECT_EQ(Run({"wiegand", simulate, "--facility-code", "7", "--scanner", "1=93245500001111:3"}), kExitUsage);
    EXPECT_EQ(Run({"wiegand", simulate, "--scanner", "5=93245500001111:3"}), kExitUsage);
}

TEST_F(CliVerbsTest, WiegandRefusesAUnitOfAnotherType)
{
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    EXPECT_EQ(Run({"wiegand", "--simulate", "--facility-code", "7"}), kExitUsage);
    EXPECT_NE(Err().find("is of type 3"), std::string::npos) << Err();
}

TEST_F(CliVerbsTest, DeviceFirmwareListsProgramsAndRefusesOtherScanners)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(BuildPackageFromManifestFile(DataFile("device-firmware.qupm"), false, bytes, error)) << error;
    WriteFile("device-firmware.qup", std::string(bytes.begin(), bytes.end()));

    ASSERT_EQ(Run({"device-firmware", "--folder", Folder(), "--json"}), kExitOk) << Err();
    const auto list = nlohmann::json::parse(Out());
    ASSERT_EQ(list["rows"].size(), 1u);
    EXPECT_EQ(list["rows"][0]["version"], "6.5.0.0");

    const std::string scanner = "--simulate=" + DataFile("installation-scanner.json");
    ASSERT_EQ(Run({"device-firmware", scanner, "--folder", Folder(), "--package", "0", "--json"}), kExitOk) << Err();
    std::vector<nlohmann::json> events;
    std::istringstream lines(Out());
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    ASSERT_FALSE(events.empty());
    // In virtual time the transfer ends before a progress tick; its status line is there.
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const nlohmann::json& e) {
        return e["event"] == "status" && e["text"] == "Programming 93245500001234 ...";
    }));
    EXPECT_EQ(events.back()["event"], "result");
    EXPECT_EQ(events.back()["code"], 0);
    EXPECT_EQ(events.back()["package"]["title"], "Scanner firmware 6.5.0.0");
    EXPECT_EQ(events.back()["versionAfterRestart"], "6.5.0.0");
    EXPECT_EQ(Run({"device-firmware", scanner, "--folder", Folder(), "--package", "1"}), kExitUsage);

    // The built-in installation: slot 0 is a scanner of another article.
    AddPackage("all.qup", InstallationManifest(PackageVersions{}, "All"));
    EXPECT_EQ(Run({"device-firmware", "--simulate", "--folder", Folder(), "--package", "0"}), kExitUsage);
    EXPECT_NE(Err().find("module slot 0 holds 20050100005678"), std::string::npos) << Err();
    EXPECT_EQ(Err().find("Programming"), std::string::npos) << Err();
}

std::vector<nlohmann::json> JsonLines(const std::string& text)
{
    std::vector<nlohmann::json> events;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    return events;
}

TEST_F(CliVerbsTest, DownloadFetchesNewPackagesSendsReportsAndStoresTheTime)
{
    LocalService service;
    service.files.Write("zq-3.qup", "package");
    service.simulator.Offer("ZQ", "zq-3.qup");
    WriteFile("UpdateLog-Report.txt", BuildReportLine(kUpdateServiceNamespace, "10030100000001", "tech", "3.0.4.20"));

    ASSERT_EQ(Run({"download", "--service", "127.0.0.1:" + std::to_string(service.port), "--folder", Folder(), "--json"}),
              kExitOk)
        << Err();
    const std::vector<nlohmann::json> events = JsonLines(Out());
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), (nlohmann::json{{"event", "request"}, {"code", "ZQ"}}));
    EXPECT_EQ(events[events.size() - 2]["id"], kTextPackagesDownloaded);
    const std::string output = Out();
    const std::string lastLine = output.substr(output.rfind('\n', output.size() - 2) + 1);
    EXPECT_EQ(lastLine, R"({"event":"result","ok":true,"downloadResult":1,"programUpdated":false,)"
                                    R"("downloaded":["zq-3.qup"],"reportsSent":1,"reportsKept":0})" "\n");
    std::ifstream file(std::filesystem::path(Folder()) / "zq-3.qup");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "package");
    EXPECT_EQ(settings.ReadString("LastUpdate", ""), FormatLocalDateTime(clock.WallTime()));
}

TEST_F(CliVerbsTest, DownloadWithoutTheServiceSaysSoAndFails)
{
    const std::string service = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
    EXPECT_EQ(Run({"download", "--service", service, "--folder", Folder()}), kExitFailed);
    EXPECT_EQ(Out().find(LoadUiString(kTextServiceUnreachable)), 0u) << Out();
    EXPECT_TRUE(ParseLocalDateTime(settings.ReadString("LastUpdate", "")));

    EXPECT_EQ(Run({"download", "--service", "127.0.0.1:port", "--folder", Folder()}), kExitUsage);
    EXPECT_NE(Err().find("--service"), std::string::npos);
}

}  // namespace
}  // namespace quorfw::test
