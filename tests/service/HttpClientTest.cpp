#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "service/GenericHTTPClient.h"
#include "service/ServiceEndpoint.h"
#include "tests/service/RawHttpCapture.h"
#include "tests/service/ServiceTestSupport.h"

namespace quorfw::test {
namespace {

TEST(ParseUrl, SplitsHostAndPathAsTheServiceAddressesNeed)
{
    struct Case {
        std::string url;
        bool ok;
        std::string host;
        std::string path;
    };
    const std::string longHost(1024, 'h');
    const std::string longPath = "/" + std::string(1023, 'p');
    const Case cases[] = {
        {"updates.example.invalid/UpdateServer/Service.asmx", true, "updates.example.invalid", "/UpdateServer/Service.asmx"},
        {"http://files.example.invalid:8080/pkg/a.qup", true, "files.example.invalid", "/pkg/a.qup"},
        {"127.0.0.1:5000/files/a.qup", true, "127.0.0.1", "/files/a.qup"},
        {"host.example.invalid", true, "host.example.invalid", ""},
        {"http://host.example.invalid", true, "host.example.invalid", ""},
        {"/only/a/path", false, "", "/only/a/path"},
        {"", false, "", ""},
        {std::string(1023, 'h') + "/x", true, std::string(1023, 'h'), "/x"},
        {longHost + "/x", false, longHost, "/x"},
        {"h" + longPath, false, "h", longPath},
    };
    for (const Case& c : cases) {
        std::string host = "stale";
        std::string path = "stale";
        EXPECT_EQ(GenericHTTPClient::ParseUrl(c.url, host, path), c.ok) << c.url.substr(0, 60);
        EXPECT_EQ(host, c.host) << c.url.substr(0, 60);
        EXPECT_EQ(path, c.path) << c.url.substr(0, 60);
    }
}

TEST(HasStatus200, AcceptsBothVersionsOnTheStatusLineOnly)
{
    EXPECT_TRUE(HasStatus200("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(HasStatus200("HTTP/1.0 200 OK\r\nServer: x\r\n"));
    EXPECT_TRUE(HasStatus200("HTTP/1.0 200\r\n"));
    EXPECT_FALSE(HasStatus200("HTTP/1.1 2000 Odd\r\n"));
    EXPECT_FALSE(HasStatus200("HTTP/1.1 500 Error\r\nX-Note: HTTP/1.1 200\r\n"));
    EXPECT_FALSE(HasStatus200(""));
}

TEST(ServiceEndpoint, HostWithOptionalPort)
{
    ASSERT_TRUE(ParseServiceEndpoint("127.0.0.1:8081"));
    EXPECT_EQ(ParseServiceEndpoint("127.0.0.1:8081")->host, "127.0.0.1");
    EXPECT_EQ(ParseServiceEndpoint("127.0.0.1:8081")->port, 8081);
    EXPECT_EQ(ParseServiceEndpoint("mirror.example.invalid")->port, 80);
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:8x", "host/path", "a@b"}) {
        EXPECT_FALSE(ParseServiceEndpoint(bad)) << bad;
    }
}

TEST(GenericHTTPClient, SoapBodyIsTheEnvelopeAndOneZeroByte)
{
    GenericHTTPClient client;
    client.SetSoapBody("0123456789");
    ASSERT_EQ(client.requestBody.size(), 227u);
    EXPECT_EQ(client.requestBody.back(), '\0');
    EXPECT_TRUE(client.requestBody.starts_with("<soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""));
    EXPECT_EQ(client.requestBody.substr(184, 10), "0123456789");
    EXPECT_EQ(client.requestBody.substr(194, 32), "</soap12:Body></soap12:Envelope>");
    client.SetSoapBody("");
    EXPECT_TRUE(client.requestBody.empty());
}

TEST(GenericHTTPClient, PostAndGetGoOnTheWireAsHttp10WithTheToolsHeaders)
{
    RawHttpCapture capture("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    ASSERT_GT(capture.Port(), 0);
    GenericHTTPClient client;
    client.SetPort(capture.Port());
    client.SetSoapBody("0123456789");
    EXPECT_EQ(client.Post("127.0.0.1/UpdateServer/Service.asmx"), 2);
    ScratchFolder folder;
    EXPECT_EQ(client.Download("http://127.0.0.1:80/files/a.qup", folder / "a.qup"), DownloadStatus::Complete);

    const std::vector<std::string> requests = capture.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(capture.Port()) + "\r\n";
    EXPECT_EQ(requests[0], "POST /UpdateServer/Service.asmx HTTP/1.0\r\n" + host +
                               "User-Agent: quorClient/1.0\r\n"
                               "Accept: */*\r\n"
                               "Content-Type: application/soap+xml; charset=utf-8\r\n"
                               "Content-Length: 227\r\n"
                               "\r\n" +
                               client.requestBody);
    EXPECT_EQ(requests[1], "GET /files/a.qup HTTP/1.0\r\n" + host +
                               "User-Agent: quorClient/1.0\r\n"
                               "Accept: */*\r\n"
                               "\r\n");
    EXPECT_EQ(folder.Read("a.qup"), "ok");
}

TEST(GenericHTTPClient, TheSimulatorSeesTheWholeBodyWithItsZeroByte)
{
    LocalService service;
    ASSERT_GT(service.port, 0);
    GenericHTTPClient client;
    client.SetPort(service.port);
    client.SetSoapBody("<GetFirmwareVersion xmlns=\"x\"><hardware>ZQ</hardware></GetFirmwareVersion>");
    EXPECT_GT(client.Post("127.0.0.1/UpdateServer/Service.asmx"), 0);
    const auto received = service.simulator.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].version, "HTTP/1.0");
    EXPECT_EQ(received[0].body, client.requestBody);
    EXPECT_EQ(received[0].argument, "ZQ");
    EXPECT_TRUE(client.responseHeaders.starts_with("HTTP/1.1 200 OK\r\n")) << client.responseHeaders;
    EXPECT_TRUE(client.responseHeaders.ends_with("\r\n\r\n"));
}

TEST(GenericHTTPClient, PostKeepsBytesAsCharactersUpToTheLimit)
{
    LocalService service;
    GenericHTTPClient client;
    client.SetPort(service.port);
    client.SetSoapBody("<GetFirmwareVersion xmlns=\"x\"><hardware>ZQ</hardware></GetFirmwareVersion>");

    // A byte above 0x7F is one character of that value; two UTF-8 bytes stay two characters.
    service.simulator.OfferAddress("ZQ", "http://127.0.0.1/files/k\xE4se-\xC3\xA4.qup");
    const int count = client.Post(service.Url("/UpdateServer/Service.asmx"));
    ASSERT_GT(count, 0);
    EXPECT_EQ(static_cast<std::size_t>(count), client.responseBody.size());
    EXPECT_NE(client.responseBody.find(L"k\u00E4se-\u00C3\u00A4.qup"), std::wstring::npos);

    service.simulator.SetFaults({.bigBody = true});
    EXPECT_EQ(client.Post(service.Url("/UpdateServer/Service.asmx")), 49'999);
    EXPECT_EQ(client.responseBody.size(), 49'999u);

    service.simulator.SetFaults({.emptyBody = true});
    EXPECT_EQ(client.Post(service.Url("/UpdateServer/Service.asmx")), 0);
    EXPECT_TRUE(client.responseBody.empty());
    EXPECT_TRUE(client.responseHeaders.empty());
}

TEST(GenericHTTPClient, FailedRequestsLeaveBothBuffersEmpty)
{
    GenericHTTPClient client;
    client.SetPort(ClosedLoopbackPort());
    client.responseBody = L"old";
    client.responseHeaders = "old";
    client.SetSoapBody("x");
    EXPECT_EQ(client.Post("127.0.0.1/UpdateServer/Service.asmx"), 0);
    EXPECT_TRUE(client.responseBody.empty());
    EXPECT_TRUE(client.responseHeaders.empty());
    // Too long a path fails before any connection is tried.
    EXPECT_EQ(client.Post("127.0.0.1/" + std::string(1023, 'p')), 0);
}

TEST(GenericHTTPClient, DownloadWritesOnlyWhatA200Delivers)
{
    LocalService service;
    service.files.Write("pkg.qup", std::string(300'000, 'x') + "end");
    ScratchFolder target;
    GenericHTTPClient client;
    client.SetPort(service.port);

    EXPECT_EQ(client.Download(service.Url("/files/pkg.qup"), target / "pkg.qup"), DownloadStatus::Complete);
    EXPECT_EQ(target.Read("pkg.qup"), service.files.Read("pkg.qup"));
    EXPECT_EQ(client.progress.load(), 0.0);  // back to 0 once the file is done

    EXPECT_EQ(client.Download(service.Url("/files/missing.qup"), target / "missing.qup"), DownloadStatus::NotFetched);
    EXPECT_FALSE(std::filesystem::exists(target / "missing.qup"));

    service.simulator.SetFaults({.noContentLength = true});
    EXPECT_EQ(client.Download(service.Url("/files/pkg.qup"), target / "nolength.qup"), DownloadStatus::Complete);
    EXPECT_EQ(target.Read("nolength.qup"), service.files.Read("pkg.qup"));

    service.simulator.SetFaults({.closeMidFile = true});
    EXPECT_EQ(client.Download(service.Url("/files/pkg.qup"), target / "half.qup"), DownloadStatus::Broken);
    EXPECT_EQ(std::filesystem::file_size(target / "half.qup"), 150'001u);
}

// Real time: the stall watch guards a real socket. Half a second keeps it short.
TEST(GenericHTTPClient, AStalledAnswerEndsAtTheTimeOut)
{
    LocalService service;
    service.simulator.SetFaults({.slowMs = 10'000});
    GenericHTTPClient client;
    client.SetPort(service.port);
    client.SetTimeouts({.connectMs = 1000, .stallMs = 500});
    client.SetSoapBody("<GetFirmwareVersion xmlns=\"x\"><hardware>ZQ</hardware></GetFirmwareVersion>");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Post(service.Url("/UpdateServer/Service.asmx")), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

}  // namespace
}  // namespace quorfw::test
