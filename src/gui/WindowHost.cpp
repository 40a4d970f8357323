#include "gui/WindowHost.h"

#include <QMetaObject>
#include <QThread>

#include "gui/CModuleUpdate2Dlg.h"

namespace quorfw {

void WindowHost::OnWindowThread(const std::function<void(CModuleUpdate2Dlg&)>& call)
{
    if (detached_.load()) {
        return;
    }
    if (QThread::currentThread() == dlg_.thread()) {
        call(dlg_);
        return;
    }
    QMetaObject::invokeMethod(
        &dlg_,
        [this, &call] {
            if (!detached_.load()) {
                call(dlg_);
            }
        },
        Qt::BlockingQueuedConnection);
}

void WindowHost::ResetDisplay()
{
    OnWindowThread([](CModuleUpdate2Dlg& dlg) { dlg.OnResetDisplay(); });
}

void WindowHost::ShowRow(int row, const RowIdentity& identity, bool visible)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnShowRow(row, identity, visible); });
}

void WindowHost::SetAvailableVersion(int row, const std::string& text)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetAvailableVersion(row, text); });
}

void WindowHost::SetUpdateStateText(int row, const std::string& text)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetUpdateStateText(row, text); });
}

void WindowHost::ShowAvailabilityCells(int row, bool visible)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnShowAvailabilityCells(row, visible); });
}

void WindowHost::SetRestartCheck(int row, RestartCheck check)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetRestartCheck(row, check); });
}

void WindowHost::SetPackageSelector(const std::vector<SelectorEntry>& entries)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetPackageSelector(entries); });
}

void WindowHost::SelectPackage(int index)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSelectPackage(index); });
}

void WindowHost::SetPackageDescription(const std::string& text)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetPackageDescription(text); });
}

void WindowHost::EnableInfoButton(bool enabled)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnEnableInfoButton(enabled); });
}

void WindowHost::EnableSelectors(bool enabled)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnEnableSelectors(enabled); });
}

void WindowHost::ShowSteps(int done, int total)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnShowSteps(done, total); });
}

void WindowHost::StartProgressTimer()
{
    OnWindowThread([](CModuleUpdate2Dlg& dlg) { dlg.OnStartProgressTimer(); });
}

void WindowHost::StopProgressTimer()
{
    OnWindowThread([](CModuleUpdate2Dlg& dlg) { dlg.OnStopProgressTimer(); });
}

void WindowHost::SetProgress(std::uint32_t percent)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetProgress(percent); });
}

void WindowHost::SetStatusText(const std::string& text)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnSetStatusText(text); });
}

void WindowHost::ShowMessage(std::uint32_t stringId, const std::string& text)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnShowMessage(stringId, text); });
}

bool WindowHost::Confirm(std::uint32_t stringId, const std::string& text)
{
    bool answer = false;
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { answer = dlg.OnConfirm(stringId, text); });
    return answer;
}

void WindowHost::Logged(std::uint32_t, const std::string&)
{
    // The update log file holds the entries; the window shows them nowhere else.
}

void WindowHost::OperationEnded(bool succeeded)
{
    OnWindowThread([&](CModuleUpdate2Dlg& dlg) { dlg.OnOperationEnded(succeeded); });
}

}  // namespace quorfw
