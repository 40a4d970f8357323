// quorfw-sim: serves a simulated installation on a pseudo-terminal in real time.
//
//   quorfw-sim --pty [--installation FILE] [--faults FILE] [--seed N]
//
// The first line printed is the path of the terminal to open ("tty:" + that path for the
// tool). Runs until SIGTERM or SIGINT.

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "sim/InstallationConfig.h"
#include "sim/InstallationFile.h"
#include "sim/PtyServer.h"
#include "sim/SimInstallation.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int)
{
    g_stop.store(true);
}

int Usage()
{
    std::cerr << "usage: quorfw-sim --pty [--installation FILE] [--faults FILE] [--seed N]\n";
    return 2;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace quorfw;
    bool pty = false;
    std::optional<std::string> installationPath;
    std::optional<std::string> faultsPath;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--pty") {
            pty = true;
        } else if (arg == "--installation" && hasValue) {
            installationPath = argv[++i];
        } else if (arg == "--faults" && hasValue) {
            faultsPath = argv[++i];
        } else if (arg == "--seed" && hasValue) {
            try {
                std::size_t used = 0;
                const std::string value = argv[++i];
                seed = std::stoull(value, &used, 0);
                if (used != value.size()) {
                    return Usage();
                }
            } catch (const std::exception&) {
                return Usage();
            }
        } else {
            return Usage();
        }
    }
    if (!pty) {
        return Usage();
    }

    InstallationConfig config = InstallationConfig::Default();
    std::string error;
    if (installationPath) {
        std::optional<InstallationConfig> loaded = InstallationFile::Load(*installationPath, error);
        if (!loaded) {
            std::cerr << "quorfw-sim: " << error << "\n";
            return 1;
        }
        config = std::move(*loaded);
    }
    if (faultsPath) {
        std::string text;
        if (!ReadText(*faultsPath, text)) {
            std::cerr << "quorfw-sim: " << *faultsPath << ": cannot be opened\n";
            return 1;
        }
        std::optional<std::vector<FaultRule>> rules = InstallationFile::ParseFaults(text, error);
        if (!rules) {
            std::cerr << "quorfw-sim: " << *faultsPath << ": " << error << "\n";
            return 1;
        }
        config.faults.insert(config.faults.end(), rules->begin(), rules->end());
    }

    SystemClock clock;
    SimInstallation installation(config, seed);
    // A long demo must not grow without bound; nobody reads the logs here.
    installation.SetLogLimits(64, 1024);
    PtyServer server(installation, clock);
    if (!server.Open(error)) {
        std::cerr << "quorfw-sim: " << error << "\n";
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    std::cout << server.SlavePath() << std::endl;  // flushed: the client waits for this line
    if (!server.Run(g_stop, error)) {
        std::cerr << "quorfw-sim: " << error << "\n";
        return 1;
    }
    return 0;
}
