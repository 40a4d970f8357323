#include "tools/service-sim/ServiceSimulator.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "app/UpdateReport.h"

namespace quorfw {

namespace {

constexpr const char* kSoapType = "application/soap+xml; charset=utf-8";
constexpr std::size_t kBigBodyBytes = 60'000;
constexpr std::size_t kFileChunkBytes = 64 * 1024;

std::string Envelope(const std::string& inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>" +
           inner + "</soap12:Body></soap12:Envelope>";
}

std::string Between(const std::string& text, const std::string& open, const std::string& close)
{
    const std::size_t start = text.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find(close, start + open.size());
    return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find("..") == std::string::npos;
}

}  // namespace

struct ServiceSimulator::State {
    std::filesystem::path folder;
    httplib::Server server;
    std::thread thread;
    int port = -1;
    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::map<std::string, std::pair<bool, std::string>> offers;  // code -> (is a raw address, text)
    ServiceFaults faults;
    std::vector<ServiceRequestRecord> received;
    std::function<void(const std::string&)> sink;

    ServiceFaults Faults()
    {
        std::lock_guard lock(mutex);
        return faults;
    }

    // A slow answer, cut short when the server stops.
    void Delay(int ms)
    {
        std::unique_lock lock(mutex);
        stopped.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
    }

    void Record(const httplib::Request& request, std::string operation, std::string argument)
    {
        ServiceRequestRecord record{request.method, request.path, request.version, {}, request.body,
                                    std::move(operation), std::move(argument)};
        for (const auto& [name, value] : request.headers) {
            record.headers.emplace_back(name, value);
        }
        std::string line = record.method + " " + record.path;
        if (!record.operation.empty()) {
            line += " " + record.operation + " " + record.argument;
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == '\0')) {
            line.pop_back();
        }
        std::function<void(const std::string&)> out;
        {
            std::lock_guard lock(mutex);
            received.push_back(std::move(record));
            out = sink;
        }
        if (out) {
            out(line);
        }
    }

    void AnswerSoap(const httplib::Request& request, httplib::Response& response)
    {
        const ServiceFaults f = Faults();
        if (f.slowMs > 0) {
            Delay(f.slowMs);
        }
        std::string inner;
        int status = 200;
        if (request.body.find("<GetFirmwareVersion ") != std::string::npos) {
            const std::string code = Between(request.body, "<hardware>", "</hardware>");
            Record(request, "GetFirmwareVersion", code);
            std::string address;
            {
                std::lock_guard lock(mutex);
                const auto offer = offers.find(code);
                if (offer != offers.end()) {
                    const std::string host =
                        request.has_header("Host") ? request.get_header_value("Host") : "127.0.0.1:" + std::to_string(port);
                    address = offer->second.first ? offer->second.second : "http://" + host + "/files/" + offer->second.second;
                }
            }
            inner = f.noResultElement ? "<Nothing/>"
                                      : "<GetFirmwareVersionResponse xmlns=\"" + std::string(kUpdateServiceNamespace) +
                                            "\"><GetFirmwareVersionResult>" + address +
                                            "</GetFirmwareVersionResult></GetFirmwareVersionResponse>";
        } else if (request.body.find("<FirmwareUpdated ") != std::string::npos) {
            const std::size_t start = request.body.find("<FirmwareUpdated ");
            const std::size_t end = request.body.find("</soap12:Body>", start);
            const std::string line = request.body.substr(start, end == std::string::npos ? std::string::npos : end - start);
            Record(request, "FirmwareUpdated", line);
            bool refused = false;
            for (const std::string& text : f.refuseReportsContaining) {
                refused = refused || line.find(text) != std::string::npos;
            }
            if (refused) {
                status = 500;
                inner = "<soap12:Fault><soap12:Code><soap12:Value>soap12:Receiver</soap12:Value></soap12:Code>"
                        "<soap12:Reason><soap12:Text xml:lang=\"en\">report refused</soap12:Text></soap12:Reason>"
                        "</soap12:Fault>";
            } else {
                inner = "<FirmwareUpdatedResponse xmlns=\"" + std::string(kUpdateServiceNamespace) +
                        "\"><FirmwareUpdatedResult>true</FirmwareUpdatedResult></FirmwareUpdatedResponse>";
            }
        } else {
            Record(request, "", "");
            response.status = 400;
            response.set_content("unknown operation", "text/plain");
            return;
        }
        std::string body = Envelope(inner);
        if (f.bigBody && body.size() < kBigBodyBytes) {
            body.append(kBigBodyBytes - body.size(), ' ');
        }
        response.status = f.status500 ? 500 : status;
        if (f.emptyBody) {
            response.set_content("", kSoapType);
        } else {
            response.set_content(body, kSoapType);
        }
    }

    void AnswerFile(const httplib::Request& request, httplib::Response& response)
    {
        Record(request, "", "");
        const ServiceFaults f = Faults();
        if (f.slowMs > 0) {
            Delay(f.slowMs);
        }
        const std::string name = request.matches[1];
        const std::filesystem::path file = folder / name;
        std::error_code ec;
        const auto size = IsPlainFileName(name) ? std::filesystem::file_size(file, ec) : 0;
        if (!IsPlainFileName(name) || ec) {
            response.status = 404;
            response.set_content("no such file", "text/plain");
            return;
        }
        auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
        const std::size_t limit = f.closeMidFile ? static_cast<std::size_t>(size / 2) : static_cast<std::size_t>(size);
        auto send = [in, limit](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= limit) {
                return false;  // cut off here: the connection closes early
            }
            std::string chunk(std::min(kFileChunkBytes, limit - offset), '\0');
            in->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            const auto got = static_cast<std::size_t>(in->gcount());
            if (got == 0) {
                return false;
            }
            return sink.write(chunk.data(), got);
        };
        if (f.noContentLength) {
            // Ended by closing the connection, as an HTTP/1.0 answer without a length is.
            response.set_content_provider("application/octet-stream",
                                          [send, limit](std::size_t offset, httplib::DataSink& sink) {
                                              if (offset >= limit) {
                                                  sink.done();
                                                  return true;
                                              }
                                              return send(offset, sink);
                                          });
        } else {
            response.set_content_provider(static_cast<std::size_t>(size), "application/octet-stream",
                                          [send](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              return send(offset, sink);
                                          });
        }
    }
};

ServiceSimulator::ServiceSimulator(std::filesystem::path filesFolder) : state_(std::make_unique<State>())
{
    state_->folder = std::move(filesFolder);
    state_->server.set_keep_alive_max_count(1);
    state_->server.Post("/UpdateServer/Service.asmx", [this](const httplib::Request& request, httplib::Response& response) {
        state_->AnswerSoap(request, response);
    });
    state_->server.Get(R"(/files/([^/]+))", [this](const httplib::Request& request, httplib::Response& response) {
        state_->AnswerFile(request, response);
    });
}

ServiceSimulator::~ServiceSimulator()
{
    Stop();
}

void ServiceSimulator::Offer(const std::string& hardwareCode, const std::string& fileName)
{
    std::lock_guard lock(state_->mutex);
    state_->offers[hardwareCode] = {false, fileName};
}

void ServiceSimulator::OfferAddress(const std::string& hardwareCode, const std::string& address)
{
    std::lock_guard lock(state_->mutex);
    state_->offers[hardwareCode] = {true, address};
}

void ServiceSimulator::SetFaults(ServiceFaults faults)
{
    std::lock_guard lock(state_->mutex);
    state_->faults = std::move(faults);
}

void ServiceSimulator::SetLogSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard lock(state_->mutex);
    state_->sink = std::move(sink);
}

int ServiceSimulator::Start()
{
    const int port = state_->server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        return -1;
    }
    state_->port = port;
    state_->thread = std::thread([this] { state_->server.listen_after_bind(); });
    return port;
}

void ServiceSimulator::Stop()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->stopped.notify_all();
    state_->server.stop();
    if (state_->thread.joinable()) {
        state_->thread.join();
    }
}

int ServiceSimulator::Port() const
{
    return state_->port;
}

std::vector<ServiceRequestRecord> ServiceSimulator::Received() const
{
    std::lock_guard lock(state_->mutex);
    return state_->received;
}

}  // namespace quorfw
