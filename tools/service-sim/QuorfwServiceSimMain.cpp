// quorfw-service-sim: the update service on 127.0.0.1 for tests and demos.
//
//   quorfw-service-sim --files DIR [--offer CODE=FILE]... [--fault NAME]...
//                      [--refuse-report TEXT]... [--slow-ms N] [--seconds N]
//   quorfw-service-sim pack-program OUT NAME=SOURCE...
//
// The first line printed is the port it listens on; then one line per request received.
// It runs until SIGINT or SIGTERM, or for --seconds.

#include <signal.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "service/ProgramUpdateFile.h"
#include "tools/service-sim/ServiceSimulator.h"

namespace {

constexpr const char* kUsage =
    "usage: quorfw-service-sim --files DIR [--offer CODE=FILE]... [--fault NAME]...\n"
    "                          [--refuse-report TEXT]... [--slow-ms N] [--seconds N]\n"
    "       quorfw-service-sim pack-program OUT NAME=SOURCE...\n"
    "faults: status-500 empty-body no-result big-body no-content-length close-mid-file\n";

int PackProgram(const std::vector<std::string>& args)
{
    if (args.size() < 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t k = 1; k < args.size(); ++k) {
        const std::size_t equals = args[k].find('=');
        if (equals == std::string::npos) {
            std::cerr << "pack-program: NAME=SOURCE expected: " << args[k] << '\n';
            return 2;
        }
        std::ifstream in(args[k].substr(equals + 1), std::ios::binary);
        if (!in) {
            std::cerr << "pack-program: cannot read " << args[k].substr(equals + 1) << '\n';
            return 1;
        }
        entries.emplace_back(args[k].substr(0, equals),
                             std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }
    std::ofstream out(args[0], std::ios::binary | std::ios::trunc);
    out << quorfw::EncodeProgramUpdate(entries);
    out.close();
    if (!out) {
        std::cerr << "pack-program: cannot write " << args[0] << '\n';
        return 1;
    }
    return 0;
}

bool SetFault(quorfw::ServiceFaults& faults, const std::string& name)
{
    if (name == "status-500") faults.status500 = true;
    else if (name == "empty-body") faults.emptyBody = true;
    else if (name == "no-result") faults.noResultElement = true;
    else if (name == "big-body") faults.bigBody = true;
    else if (name == "no-content-length") faults.noContentLength = true;
    else if (name == "close-mid-file") faults.closeMidFile = true;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "pack-program") {
        return PackProgram(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::string folder;
    std::vector<std::pair<std::string, std::string>> offers;
    quorfw::ServiceFaults faults;
    int seconds = 0;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& option = args[k];
        if (k + 1 >= args.size()) {
            std::cerr << kUsage;
            return 2;
        }
        const std::string& value = args[++k];
        if (option == "--files") {
            folder = value;
        } else if (option == "--offer" && value.find('=') != std::string::npos) {
            offers.emplace_back(value.substr(0, value.find('=')), value.substr(value.find('=') + 1));
        } else if (option == "--fault" && SetFault(faults, value)) {
        } else if (option == "--refuse-report") {
            faults.refuseReportsContaining.push_back(value);
        } else if (option == "--slow-ms") {
            faults.slowMs = std::stoi(value);
        } else if (option == "--seconds") {
            seconds = std::stoi(value);
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (folder.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    // The signals are taken by sigtimedwait below, not by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    quorfw::ServiceSimulator simulator(folder);
    for (const auto& [code, file] : offers) {
        simulator.Offer(code, file);
    }
    simulator.SetFaults(faults);
    std::mutex outputMutex;
    simulator.SetLogSink([&](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    });
    const int port = simulator.Start();
    if (port < 0) {
        std::cerr << "quorfw-service-sim: cannot listen on 127.0.0.1\n";
        return 1;
    }
    {
        std::lock_guard lock(outputMutex);
        std::cout << port << std::endl;
    }
    timespec wait{seconds > 0 ? seconds : 24 * 3600, 0};
    while (sigtimedwait(&signals, nullptr, &wait) < 0 && errno == EINTR) {
    }
    simulator.Stop();
    return 0;
}
