#pragma once

#include <QDialog>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Environment.h"
#include "app/GridRows.h"
#include "app/MainModel.h"
#include "app/UpdateHost.h"
#include "gui/HelpCommand.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quorfw {

class CDlgStatusBar;
class CDlgToolBar;
class CShowInfoDlg;
class CUpdateListDlg;
class Clock;
class SettingsStore;
class Transport;
class UpdateFile;
class WindowHost;
class WindowPrompts;

// What the main window runs with; the program fills it from the process, tests with their own.
struct WindowContext {
    SettingsStore& settings;
    EnvironmentLookup env;
    Clock& clock;
    Transport& transport;
    WindowPrompts& prompts;
    // The baud-rate file of the working directory.
    std::filesystem::path baudRateFile;
    // Opens the help file with the desktop's viewer.
    UrlOpener openUrl;
};

// The main window: converter and package selectors, the installation grid, progress bar,
// toolbar and status bar. It binds widgets to the main model and starts the operations
// through it; the operations report through a WindowHost. Every control carries its
// control id as object name.
class CModuleUpdate2Dlg final : public QDialog {
    Q_OBJECT

public:
    // How long a stop waits for the worker before the window gives up on it.
    static constexpr std::chrono::milliseconds kStopWait{100000};

    explicit CModuleUpdate2Dlg(WindowContext context, QWidget* parent = nullptr);
    ~CModuleUpdate2Dlg() override;

    [[nodiscard]] MainModel& model() { return *model_; }
    // An operation runs: from its start until its worker has reported its end.
    [[nodiscard]] bool OperationRunning() const { return running_; }

    // The commands of the toolbar and the other controls, by command id.
    void RunCommand(std::uint32_t command);
    [[nodiscard]] QAction* CommandAction(std::uint32_t command) const;
    // After new packages may have arrived (the options dialog): empty selector, new list.
    void ReloadPackages();

    // Commands whose dialogs come from elsewhere (options, backup, ...): the window runs the
    // handler once it is set and keeps the command disabled while it is not.
    void SetCommandHandler(std::uint32_t command, std::function<void()> handler);
    [[nodiscard]] CUpdateListDlg& VersionsDialog() { return *versionsDlg_; }
    [[nodiscard]] CShowInfoDlg& InfoDialog() { return *infoDlg_; }

    // The command's enabling rule holds and the window can carry it out.
    [[nodiscard]] bool CommandAvailable(std::uint32_t command) const;
    // Re-evaluates the enabling rules for the toolbar, and the wait cursor.
    void RefreshCommands();
    // Timer 1: the running transfer's progress into the progress bar.
    void ShowSessionProgress();

    // --- The host's calls, on the window's thread. ---
    void OnResetDisplay();
    void OnShowRow(int row, const RowIdentity& identity, bool visible);
    void OnSetAvailableVersion(int row, const std::string& text);
    void OnSetUpdateStateText(int row, const std::string& text);
    void OnShowAvailabilityCells(int row, bool visible);
    void OnSetRestartCheck(int row, RestartCheck check);
    void OnSetPackageSelector(const std::vector<SelectorEntry>& entries);
    void OnSelectPackage(int index);
    void OnSetPackageDescription(const std::string& text);
    void OnEnableInfoButton(bool enabled);
    void OnEnableSelectors(bool enabled);
    void OnShowSteps(int done, int total);
    void OnStartProgressTimer();
    void OnStopProgressTimer();
    void OnSetProgress(std::uint32_t percent);
    void OnSetStatusText(const std::string& text);
    void OnShowMessage(std::uint32_t stringId, const std::string& text);
    [[nodiscard]] bool OnConfirm(std::uint32_t stringId, const std::string& text);
    void OnOperationEnded(bool succeeded);

signals:
    // Status pane 1 was given the step counter of (done, total).
    void stepsShown(int done, int total);
    // An operation's worker has reported its end.
    void operationEnded(bool succeeded);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct RowWidgets {
        QLineEdit* serial = nullptr;
        QLineEdit* version = nullptr;
        QLineEdit* name = nullptr;  // none for the unit row
        QLineEdit* available = nullptr;
        QLineEdit* state = nullptr;
    };

    void BuildControls();
    void BuildToolBar();
    void InitDialog();
    void FillConverterSelector(int usbIndex);

    void OnScan();
    void OnUpdate();
    void OnExit();
    void OnOptionsTimer();
    void OnPackageChosen(int index);
    void OnConverterChosen(int index);
    void OnInfo();
    void OnVersions();
    void OnHelp();
    void OnAbout();

    // Waits for a worker that has been told to stop or is ending, serving its calls
    // meanwhile (user input stays queued); true when it has ended.
    bool WaitForWorkerServing(std::chrono::milliseconds timeout);
    void AfterStart(MainModel::StartResult result);
    // What exit and a confirmed close share: the cooperative stop with its bounded wait,
    // the closing entry of the update log, "USB" and "Path".
    void StopWorker();
    void LogProgramClosed();
    void SaveSettings();

    [[nodiscard]] RowWidgets& Row(int row);
    void SetPaneText(int pane, const QString& text);

    WindowContext context_;
    std::unique_ptr<MainModel> model_;
    std::unique_ptr<WindowHost> host_;

    CDlgToolBar* toolBar_ = nullptr;
    std::map<std::uint32_t, std::function<void()>> handlers_;
    CDlgStatusBar* statusBar_ = nullptr;
    CUpdateListDlg* versionsDlg_ = nullptr;
    CShowInfoDlg* infoDlg_ = nullptr;
    QComboBox* converterSelector_ = nullptr;
    QComboBox* packageSelector_ = nullptr;
    QPushButton* infoButton_ = nullptr;
    QLineEdit* description_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::array<RowWidgets, kModuleRowCount> modules_{};
    RowWidgets unit_{};
    QTimer* progressTimer_ = nullptr;  // timer 1
    QTimer* optionsTimer_ = nullptr;   // timer 3

    bool running_ = false;
    bool waitCursor_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

}  // namespace quorfw
