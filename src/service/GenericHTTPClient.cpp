#include "service/GenericHTTPClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace quorfw {

namespace {

constexpr const char* kUserAgent = "quorClient/1.0";
constexpr const char* kAcceptHeader = "Accept: */*";
constexpr const char* kSoapContentType = "Content-Type: application/soap+xml; charset=utf-8";

// The SOAP 1.2 envelope around a request element.
constexpr std::string_view kSoapPrefix =
    "<soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>";
constexpr std::string_view kSoapSuffix = "</soap12:Body></soap12:Envelope>";
static_assert(kSoapPrefix.size() == 184);
static_assert(kSoapSuffix.size() == 32);

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { (void)curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Host names the server runs on in tests and demos; a proxy is never asked for them.
bool IsLoopbackHost(std::string_view host)
{
    return host == "localhost" || host.starts_with("127.");
}


// What the callbacks of one transfer collect.
struct Exchange {
    std::string headers;
    bool headersEnded = false;
    // POST
    std::wstring* body = nullptr;
    bool bodyFull = false;
    // GET
    const std::filesystem::path* localPath = nullptr;
    std::FILE* file = nullptr;
    bool fileFailed = false;
    long long contentLength = 0;
    long long received = 0;
    std::atomic<double>* progress = nullptr;
    // Stall watch: the bytes moved so far and when that count last changed. Real time:
    // this guards a real socket, which no virtual clock can speed up.
    long stallMs = 0;
    curl_off_t moved = -1;
    std::chrono::steady_clock::time_point lastMove;
};

int OnTransferInfo(void* user, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal, curl_off_t upNow)
{
    (void)downTotal;
    (void)upTotal;
    auto& exchange = *static_cast<Exchange*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (downNow + upNow != exchange.moved) {
        exchange.moved = downNow + upNow;
        exchange.lastMove = now;
        return 0;
    }
    return now - exchange.lastMove > std::chrono::milliseconds(exchange.stallMs) ? 1 : 0;
}

// The decimal number in the ten characters after "Content-Length:", blanks before it allowed.
long long ContentLengthOf(std::string_view headers)
{
    constexpr std::string_view kName = "Content-Length:";
    const std::size_t at = headers.find(kName);
    if (at == std::string_view::npos) {
        return 0;
    }
    std::string_view field = headers.substr(at + kName.size(), 10);
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) {
        field.remove_prefix(1);
    }
    long long value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    return result.ec == std::errc{} && value > 0 ? value : 0;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const std::string_view line(data, size * count);
    exchange.headers.append(line);
    if (line == "\r\n" || line == "\n") {
        exchange.headersEnded = true;
        if (exchange.localPath != nullptr && exchange.file == nullptr && HasStatus200(exchange.headers)) {
            exchange.file = std::fopen(exchange.localPath->c_str(), "wb");
            exchange.fileFailed = exchange.file == nullptr;
            exchange.contentLength = ContentLengthOf(exchange.headers);
            exchange.progress->store(0.0);
        }
    }
    return size * count;
}

std::size_t OnPostBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    std::wstring& body = *exchange.body;
    const std::size_t room = GenericHTTPClient::kMaxResponseChars - body.size();
    const std::size_t take = std::min(room, bytes);
    for (std::size_t k = 0; k < take; ++k) {
        body.push_back(static_cast<wchar_t>(static_cast<unsigned char>(data[k])));
    }
    if (take < bytes) {
        // Full: the rest of the answer is not wanted; ending the transfer here also ends an
        // answer that would never stop.
        exchange.bodyFull = true;
        return 0;
    }
    return bytes;
}

std::size_t OnDownloadBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    if (exchange.file == nullptr) {
        return 0;  // not a 200 answer, or the file could not be created
    }
    if (std::fwrite(data, 1, bytes, exchange.file) != bytes) {
        exchange.fileFailed = true;
        return 0;
    }
    exchange.received += static_cast<long long>(bytes);
    if (exchange.contentLength > 0) {
        const double percent = 100.0 * static_cast<double>(exchange.received) / static_cast<double>(exchange.contentLength);
        exchange.progress->store(std::min(percent, 100.0));
    }
    return bytes;
}

// One request on its own easy handle: every connection is opened and closed here.
CURLcode Perform(const std::string& host, const std::string& path, int port, const HttpTimeouts& timeouts,
                 const std::string* postBody, Exchange& exchange)
{
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return CURLE_FAILED_INIT;
    }
    const std::string url = "http://" + host + ":" + std::to_string(port) + (path.empty() ? "/" : path);
    curl_slist* headers = curl_slist_append(nullptr, kAcceptHeader);
    if (postBody != nullptr) {
        headers = curl_slist_append(headers, kSoapContentType);
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    exchange.stallMs = timeouts.stallMs;
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnTransferInfo);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &exchange);
    // The proxy variables of the environment apply, except to the local machine.
    if (IsLoopbackHost(host)) {
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
    }
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);
    if (postBody != nullptr) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnPostBody);
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnDownloadBody);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return result;
}

bool ParseRequestUrl(std::string_view url, std::string& host, std::string& path)
{
    return GenericHTTPClient::ParseUrl(url, host, path) && IsPlainHostName(host);
}

}  // namespace

bool IsPlainHostName(std::string_view host)
{
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_';
    });
}

bool HasStatus200(std::string_view responseHeaders)
{
    const std::string_view status = responseHeaders.substr(0, responseHeaders.find('\r'));
    for (const std::string_view version : {"HTTP/1.1 200", "HTTP/1.0 200"}) {
        if (status.starts_with(version) && (status.size() == version.size() || status[version.size()] == ' ')) {
            return true;
        }
    }
    return false;
}

GenericHTTPClient::GenericHTTPClient()
{
    responseBody.reserve(kMaxResponseChars);
}

GenericHTTPClient::~GenericHTTPClient() = default;

void GenericHTTPClient::SetSoapBody(std::string_view body)
{
    requestBody.clear();
    if (body.empty()) {
        return;
    }
    requestBody.reserve(kSoapPrefix.size() + body.size() + kSoapSuffix.size() + 1);
    requestBody.append(kSoapPrefix).append(body).append(kSoapSuffix).push_back('\0');
}

bool GenericHTTPClient::ParseUrl(std::string_view url, std::string& host, std::string& path)
{
    const std::size_t colon = std::min(url.find(':'), url.size());
    std::size_t hostStart = 0;
    if (colon + 1 < url.size() && url[colon + 1] == '/') {
        // A scheme: skipped together with "://".
        hostStart = std::min(colon + 3, url.size());
    }
    const std::size_t slash = std::min(url.find('/', hostStart), url.size());
    std::string_view hostPart = url.substr(hostStart, slash - hostStart);
    hostPart = hostPart.substr(0, hostPart.find(':'));
    host.assign(hostPart);
    path.assign(url.substr(slash));
    return !host.empty() && host.size() <= kMaxUrlPart && path.size() <= kMaxUrlPart;
}

int GenericHTTPClient::Post(std::string_view url)
{
    responseBody.clear();
    responseHeaders.clear();
    std::string host;
    std::string path;
    if (!ParseRequestUrl(url, host, path)) {
        return 0;
    }
    Exchange exchange;
    exchange.body = &responseBody;
    const CURLcode result = Perform(host, path, port_, timeouts_, &requestBody, exchange);
    // An answer that broke off after its headers keeps what arrived, as a read that stops
    // early does; only no answer at all is a failure.
    const bool answered = exchange.headersEnded && (result == CURLE_OK || exchange.bodyFull ||
                                                    result == CURLE_PARTIAL_FILE || result == CURLE_RECV_ERROR);
    if (!answered || responseBody.empty()) {
        responseBody.clear();
        responseHeaders.clear();
        return 0;
    }
    responseHeaders = std::move(exchange.headers);
    return static_cast<int>(responseBody.size());
}

DownloadStatus GenericHTTPClient::Download(std::string_view url, const std::filesystem::path& localPath)
{
    responseBody.clear();
    responseHeaders.clear();
    std::string host;
    std::string path;
    if (!ParseRequestUrl(url, host, path)) {
        return DownloadStatus::NotFetched;
    }
    Exchange exchange;
    exchange.localPath = &localPath;
    exchange.progress = &progress;
    const CURLcode result = Perform(host, path, port_, timeouts_, nullptr, exchange);
    progress.store(0.0);
    if (exchange.headersEnded) {
        responseHeaders = std::move(exchange.headers);
    }
    if (exchange.file == nullptr) {
        return DownloadStatus::NotFetched;
    }
    const bool closed = std::fclose(exchange.file) == 0;
    const bool whole = result == CURLE_OK && closed && !exchange.fileFailed &&
                       (exchange.contentLength == 0 || exchange.received == exchange.contentLength);
    return whole ? DownloadStatus::Complete : DownloadStatus::Broken;
}

}  // namespace quorfw
