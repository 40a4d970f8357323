#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorfw {

// Limits of one request. The defaults keep a run from hanging on a dead server.
struct HttpTimeouts {
    long connectMs = 30'000;
    // A transfer that moves no byte for this long is given up (checked about once a second).
    long stallMs = 60'000;
};

// How a Download ended.
enum class DownloadStatus {
    NotFetched,  // no connection, no 200 status, or the file could not be created: no file
    Complete,    // the whole response body is in the file
    Broken,      // the transfer broke off: the file is shorter than the body
};

// The two exchanges with the update service: a SOAP POST whose answer is kept in memory,
// and a GET streamed to a file. Every request has its own connection, closed before the
// call returns. Plain HTTP/1.0 on port 80, or on the one port given for the whole run.
class GenericHTTPClient {
public:
    GenericHTTPClient();
    virtual ~GenericHTTPClient();
    GenericHTTPClient(const GenericHTTPClient&) = delete;
    GenericHTTPClient& operator=(const GenericHTTPClient&) = delete;

    // Every connection of this client goes to this port (80 unless set).
    void SetPort(int port) { port_ = port; }
    int Port() const { return port_; }
    void SetTimeouts(HttpTimeouts timeouts) { timeouts_ = timeouts; }

    // requestBody = SOAP 1.2 envelope around body, plus one zero byte (body.size() + 217
    // bytes); empty for an empty body.
    void SetSoapBody(std::string_view body);

    // POSTs requestBody to url. Returns the number of characters kept in responseBody
    // (at most kMaxResponseChars), 0 on any failure or an empty answer; on failure both
    // response buffers are empty.
    int Post(std::string_view url);

    // GETs url into localPath. The file is created only for a 200 status.
    DownloadStatus Download(std::string_view url, const std::filesystem::path& localPath);

    // Splits "[scheme://]host[:port][/path]" into host (without the port) and path (from
    // its "/", empty when there is none). False when the host is empty or either part is
    // longer than kMaxUrlPart characters.
    [[nodiscard]] static bool ParseUrl(std::string_view url, std::string& host, std::string& path);

    static constexpr std::size_t kMaxResponseChars = 49'999;
    static constexpr std::size_t kMaxUrlPart = 1023;

    // Percentage of the running download received so far; 0 while no download runs.
    // Written by the requesting thread, read by any other.
    std::atomic<double> progress{0.0};
    // The last POST answer, one character per received byte (no character-set decoding).
    std::wstring responseBody;
    // The raw headers of the last response, status line first, each line ending in CR LF.
    std::string responseHeaders;
    // The body the next POST sends.
    std::string requestBody;

private:
    int port_ = 80;
    HttpTimeouts timeouts_;
};

// True when the status line of raw response headers is a 200 of HTTP/1.1 or HTTP/1.0.
[[nodiscard]] bool HasStatus200(std::string_view responseHeaders);

// Only plain host names and IPv4 addresses (letters, digits, ".", "-", "_"): anything else
// (user info, brackets, blanks) could make a URL name another host than the one meant.
[[nodiscard]] bool IsPlainHostName(std::string_view host);

}  // namespace quorfw
