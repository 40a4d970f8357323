#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorfw {

// One request as the simulated service parsed it.
struct ServiceRequestRecord {
    std::string method;
    std::string path;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // For the SOAP operations: "GetFirmwareVersion" or "FirmwareUpdated"; empty else.
    std::string operation;
    // The hardware code asked for, or the report line received.
    std::string argument;
};

// Misbehaviours of the simulated service.
struct ServiceFaults {
    bool status500 = false;        // every SOAP answer is a 500
    bool emptyBody = false;        // SOAP answers 200 with no body
    bool noResultElement = false;  // GetFirmwareVersion answers without its response element
    bool bigBody = false;          // SOAP answers padded to 60,000 bytes
    bool noContentLength = false;  // files sent without Content-Length, ended by closing
    bool closeMidFile = false;     // files: the full length is announced, half is sent
    int slowMs = 0;                // every answer waits this long first
    // Reports whose line contains one of these texts are refused (500, SOAP fault).
    std::vector<std::string> refuseReportsContaining = {};
};

// The update service on 127.0.0.1: GetFirmwareVersion answers with the address of the
// package offered for the code (an empty result for other codes), FirmwareUpdated
// acknowledges reports, and GET /files/NAME serves the file NAME of the files folder.
class ServiceSimulator {
public:
    explicit ServiceSimulator(std::filesystem::path filesFolder);
    ~ServiceSimulator();
    ServiceSimulator(const ServiceSimulator&) = delete;
    ServiceSimulator& operator=(const ServiceSimulator&) = delete;

    // Offers a file of the files folder for a hardware code, at
    // "http://<the Host the client asked>/files/<fileName>".
    void Offer(const std::string& hardwareCode, const std::string& fileName);
    // Answers a code with this address text as it is (for odd and hostile addresses).
    void OfferAddress(const std::string& hardwareCode, const std::string& address);
    void SetFaults(ServiceFaults faults);

    // Listens on 127.0.0.1 on a free port; the port, or -1.
    [[nodiscard]] int Start();
    void Stop();
    int Port() const;

    // Everything received so far, in order.
    [[nodiscard]] std::vector<ServiceRequestRecord> Received() const;

    // Each request as a one-line summary as it arrives (the program prints them).
    void SetLogSink(std::function<void(const std::string&)> sink);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quorfw
