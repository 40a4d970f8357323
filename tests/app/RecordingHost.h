#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/GridRows.h"
#include "app/UpdateHost.h"

namespace quorfw::test {

// Records what an operation reports. `onLogged` runs on the calling thread right after
// a log entry is recorded (tests use it to change the simulated bus at that moment).
class RecordingHost : public UpdateHost {
public:
    std::vector<std::pair<int, int>> steps;
    std::vector<std::uint32_t> messages;
    std::vector<std::uint32_t> logIds;
    std::vector<std::string> logTexts;
    std::vector<std::string> statusTexts;
    std::map<int, std::string> stateTexts;
    std::map<int, std::string> availableTexts;
    std::map<int, RestartCheck> restartChecks;
    std::vector<std::uint32_t> progress;
    int timerStarts = 0;
    int timerStops = 0;
    int resets = 0;
    int ended = 0;
    bool endedWithSuccess = false;
    bool confirmAnswer = true;
    std::vector<std::uint32_t> confirmations;
    std::function<void(std::uint32_t id)> onLogged;
    // ReportOutcome calls as (string id, code).
    std::vector<std::pair<std::uint32_t, int>> outcomes;

    void ResetDisplay() override { ++resets; }
    void ShowRow(int, const RowIdentity&, bool) override {}
    void SetAvailableVersion(int row, const std::string& text) override { availableTexts[row] = text; }
    void SetUpdateStateText(int row, const std::string& text) override { stateTexts[row] = text; }
    void ShowAvailabilityCells(int, bool) override {}
    void SetRestartCheck(int row, RestartCheck check) override { restartChecks[row] = check; }
    void SetPackageSelector(const std::vector<SelectorEntry>&) override {}
    void SelectPackage(int) override {}
    void SetPackageDescription(const std::string&) override {}
    void EnableInfoButton(bool) override {}
    void EnableSelectors(bool) override {}
    void ShowSteps(int done, int total) override { steps.emplace_back(done, total); }
    void StartProgressTimer() override { ++timerStarts; }
    void StopProgressTimer() override { ++timerStops; }
    void SetProgress(std::uint32_t percent) override { progress.push_back(percent); }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void ShowMessage(std::uint32_t id, const std::string&) override { messages.push_back(id); }
    bool Confirm(std::uint32_t id, const std::string&) override
    {
        confirmations.push_back(id);
        return confirmAnswer;
    }
    void Logged(std::uint32_t id, const std::string& text) override
    {
        logIds.push_back(id);
        logTexts.push_back(text);
        if (onLogged) {
            onLogged(id);
        }
    }
    void ReportOutcome(std::uint32_t id, const std::string&, int code) override { outcomes.emplace_back(id, code); }
    void OperationEnded(bool succeeded) override
    {
        ++ended;
        endedWithSuccess = succeeded;
    }

    [[nodiscard]] bool Logged(std::uint32_t id) const
    {
        for (const std::uint32_t logged : logIds) {
            if (logged == id) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace quorfw::test
