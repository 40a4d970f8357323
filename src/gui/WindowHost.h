#pragma once

#include <atomic>
#include <functional>

#include "app/UpdateHost.h"

namespace quorfw {

class CModuleUpdate2Dlg;

// The host the window's operations report through. A call from the worker thread is
// carried onto the window's thread and waits there until the window has handled it, as a
// synchronous window message does; a call made on the window's thread runs at once. The
// window keeps serving these calls while it waits for a worker, so neither waits on the
// other. Once detached (the window is going away without its worker having ended) every
// call returns at once and a question is answered no.
class WindowHost final : public UpdateHost {
public:
    explicit WindowHost(CModuleUpdate2Dlg& dlg) : dlg_(dlg) {}

    void Detach() { detached_.store(true); }

    void ResetDisplay() override;
    void ShowRow(int row, const RowIdentity& identity, bool visible) override;
    void SetAvailableVersion(int row, const std::string& text) override;
    void SetUpdateStateText(int row, const std::string& text) override;
    void ShowAvailabilityCells(int row, bool visible) override;
    void SetRestartCheck(int row, RestartCheck check) override;
    void SetPackageSelector(const std::vector<SelectorEntry>& entries) override;
    void SelectPackage(int index) override;
    void SetPackageDescription(const std::string& text) override;
    void EnableInfoButton(bool enabled) override;
    void EnableSelectors(bool enabled) override;
    void ShowSteps(int done, int total) override;
    void StartProgressTimer() override;
    void StopProgressTimer() override;
    void SetProgress(std::uint32_t percent) override;
    void SetStatusText(const std::string& text) override;
    void ShowMessage(std::uint32_t stringId, const std::string& text) override;
    [[nodiscard]] bool Confirm(std::uint32_t stringId, const std::string& text) override;
    void Logged(std::uint32_t stringId, const std::string& text) override;
    void OperationEnded(bool succeeded) override;

private:
    void OnWindowThread(const std::function<void(CModuleUpdate2Dlg&)>& call);

    CModuleUpdate2Dlg& dlg_;
    std::atomic<bool> detached_{false};
};

}  // namespace quorfw
