#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "common/Clock.h"
#include "sim/SimInstallation.h"

namespace quorfw {

// Serves an installation on a pseudo-terminal, so that the tool (or any other client)
// reaches it through a serial tty exactly as it reaches hardware. Runs on a real clock:
// answers leave when the line would have carried them.
class PtyServer {
public:
    PtyServer(SimInstallation& installation, Clock& clock);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode. False with a reason when that fails.
    [[nodiscard]] bool Open(std::string& error);
    // The path clients open ("/dev/pts/N").
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }

    // Serves until `stop` is set; false with a reason after an I/O error.
    [[nodiscard]] bool Run(const std::atomic<bool>& stop, std::string& error);

private:
    [[nodiscard]] std::uint64_t NowUs() const;
    [[nodiscard]] bool ForwardArrivedAnswers(std::string& error);

    SimInstallation& installation_;
    Clock& clock_;
    int master_ = -1;
    // Held open by the server so that the master does not hang up between clients.
    int slave_ = -1;
    std::string slavePath_;
    std::uint64_t originMs_ = 0;
};

}  // namespace quorfw
