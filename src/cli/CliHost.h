#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "app/UpdateHost.h"

namespace quorfw {

// The command line's host: the worker's reports become a progress line on stderr (text)
// or newline-delimited JSON events on stdout (--json with `events`). Called from the
// worker thread and, for the progress ticks, from the main thread; one lock keeps the
// output lines whole.
class CliHost final : public UpdateHost {
public:
    struct Options {
        bool json = false;
        // Print events while the operation runs (update); otherwise stay quiet (scan).
        bool events = false;
        // stderr is a terminal: redraw one progress line instead of printing lines.
        bool terminal = false;
        // The operation sets its progress itself rather than through the progress timer
        // (backup, restore): the bar follows SetProgress.
        bool directProgress = false;
    };

    CliHost(std::ostream& out, std::ostream& err, Options options);

    // The main thread's tick: shows the session's progress while the progress timer runs.
    void Tick(std::uint32_t sessionProgress);
    // Ends a progress line that is still being redrawn.
    void FinishProgressLine();

    // The log entries written since the last call, in order.
    [[nodiscard]] std::vector<std::string> TakeLogLines();

    // How the last operation that reports its outcome ended.
    struct Outcome {
        bool reported = false;
        std::uint32_t stringId = 0;
        std::string text;
        int code = 0;
    };
    [[nodiscard]] Outcome LastOutcome();

    void ResetDisplay() override {}
    void ShowRow(int, const RowIdentity&, bool) override {}
    void SetAvailableVersion(int, const std::string&) override {}
    void SetUpdateStateText(int, const std::string&) override {}
    void ShowAvailabilityCells(int, bool) override {}
    void SetRestartCheck(int, RestartCheck) override {}
    void SetPackageSelector(const std::vector<SelectorEntry>&) override {}
    void SelectPackage(int) override {}
    void SetPackageDescription(const std::string&) override {}
    void EnableInfoButton(bool) override {}
    void EnableSelectors(bool) override {}

    void ShowSteps(int done, int total) override;
    void StartProgressTimer() override;
    void StopProgressTimer() override;
    void SetProgress(std::uint32_t percent) override;
    void SetStatusText(const std::string& text) override;
    void ShowMessage(std::uint32_t stringId, const std::string& text) override;
    [[nodiscard]] bool Confirm(std::uint32_t stringId, const std::string& text) override;
    void Logged(std::uint32_t stringId, const std::string& text) override;
    void ReportOutcome(std::uint32_t stringId, const std::string& text, int code) override;
    void OperationEnded(bool) override {}

private:
    void DrawProgress(bool stepOnly = false);
    void ClearProgressLine();
    void Event(const std::string& json);

    std::ostream& out_;
    std::ostream& err_;
    Options options_;
    std::mutex mutex_;
    bool timerRunning_ = false;
    bool lineOpen_ = false;
    std::uint32_t percent_ = 0;
    std::uint32_t drawnTens_ = 0;
    int done_ = 0;
    int total_ = 0;
    std::string status_;
    std::string lastDrawn_;
    std::vector<std::string> logLines_;
    Outcome outcome_;
};

}  // namespace quorfw
