#include "gui/CModuleUpdate2Dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "app/BaudRateFile.h"
#include "app/DownloadReminder.h"
#include "app/MainCommands.h"
#include "app/OperationStart.h"
#include "app/PackageFolder.h"
#include "app/PackageList.h"
#include "app/SettingsStore.h"
#include "app/StartupSettings.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "app/UpdateLog.h"
#include "bus/Transport.h"
#include "common/Clock.h"
#include "gui/AboutSplash.h"
#include "gui/CDlgStatusBar.h"
#include "gui/CDlgToolBar.h"
#include "gui/CShowInfoDlg.h"
#include "gui/CUpdateListDlg.h"
#include "gui/GuiText.h"
#include "gui/WindowHost.h"
#include "gui/WindowPrompts.h"

namespace quorfw {

namespace {

// Control ids of the grid cells: serial, current version, version text, available version,
// update state; module rows 0-7, then the unit row (which has no version text cell).
struct RowIds {
    int serial;
    int version;
    int name;
    int available;
    int state;
};
constexpr std::array<RowIds, kModuleRowCount> kModuleRowIds{{
    {1008, 1009, 1023, 1021, 1046},
    {1012, 1013, 1024, 1022, 1047},
    {1014, 1015, 1025, 1018, 1048},
    {1016, 1017, 1026, 1020, 1049},
    {1019, 1028, 1032, 1030, 1051},
    {1033, 1034, 1036, 1035, 1052},
    {1037, 1038, 1040, 1039, 1053},
    {1041, 1043, 1059, 1054, 1058},
}};
constexpr RowIds kUnitRowIds{1010, 1011, 0, 1042, 1050};

constexpr int kConverterSelectorId = 1000;
constexpr int kProgressId = 1002;
constexpr int kPackageSelectorId = 1055;
constexpr int kInfoButtonId = 1056;
constexpr int kDescriptionId = 1057;
// Labels and their texts: converter, then the serial, current, available and update columns.
constexpr int kConverterLabelId = 1027;
constexpr int kSerialLabelId = 1029;
constexpr int kVersionLabelId = 1031;
constexpr int kAvailableLabelId = 1044;
constexpr int kUpdateLabelId = 1045;

constexpr std::chrono::milliseconds kProgressPeriod{1000};
constexpr int kWorkerPollMs = 2;

QString Text(std::uint32_t id)
{
    return QString::fromStdString(LoadUiString(id));
}

QString Id(int id)
{
    return QString::number(id);
}

QLineEdit* MakeCell(QWidget* parent, int id)
{
    auto* cell = new QLineEdit(parent);
    cell->setObjectName(Id(id));
    cell->setReadOnly(true);
    cell->setFocusPolicy(Qt::NoFocus);
    // A hidden cell keeps its place, so the grid does not jump while a scan fills it.
    QSizePolicy policy = cell->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    cell->setSizePolicy(policy);
    return cell;
}

QLabel* MakeLabel(QWidget* parent, int id)
{
    auto* label = new QLabel(parent);
    label->setObjectName(Id(id));
    return label;
}

// The decorative pictures in front of the grid rows: the control unit, a module.
QPixmap RowPicture(bool unit)
{
    constexpr int kSize = 24;
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor body(0x26, 0x44, 0x71);
    if (unit) {
        painter.setPen(QPen(body, 1.5));
        painter.setBrush(QColor(0xdd, 0xe4, 0xee));
        painter.drawRoundedRect(QRectF(3, 2, 18, 20), 2, 2);
        painter.setBrush(QColor(0x6f, 0xb3, 0x5a));
        painter.drawRect(QRectF(6, 5, 12, 6));
        painter.setBrush(body);
        for (int i = 0; i < 3; ++i) {
            painter.drawEllipse(QPointF(7.5 + i * 4.5, 16), 1.3, 1.3);
        }
    } else {
        painter.setPen(QPen(body, 1.5));
        painter.setBrush(QColor(0xee, 0xee, 0xee));
        painter.drawRoundedRect(QRectF(5, 1, 14, 22), 4, 4);
        painter.setBrush(Qt::NoBrush);
        for (int r = 2; r <= 6; r += 2) {
            painter.drawArc(QRectF(12 - r, 12 - r, 2 * r, 2 * r), 30 * 16, 300 * 16);
        }
    }
    return picture;
}

}  // namespace

CModuleUpdate2Dlg::CModuleUpdate2Dlg(WindowContext context, QWidget* parent)
    : QDialog(parent)
    , context_(std::move(context))
    , model_(std::make_unique<MainModel>(context_.transport, context_.clock))
    , host_(std::make_unique<WindowHost>(*this))
{
    BuildControls();
    InitDialog();
}

CModuleUpdate2Dlg::~CModuleUpdate2Dlg()
{
    if (!model_->WaitForOperation(std::chrono::milliseconds{0})) {
        model_->RequestStop();
        if (!WaitForWorkerServing(kStopWait)) {
            host_->Detach();
        }
    }
    // The worker refers to the host: the model (which joins it) goes first.
    model_.reset();
    host_.reset();
    if (waitCursor_) {
        unsetCursor();
    }
}

void CModuleUpdate2Dlg::BuildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    BuildToolBar();
    outer->addWidget(toolBar_);

    auto* body = new QWidget(this);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(10, 8, 10, 8);
    bodyLayout->setSpacing(8);
    outer->addWidget(body, 1);

    // Converter and package selectors, Info button, package description.
    auto* selectors = new QGridLayout;
    selectors->setHorizontalSpacing(8);
    auto* converterLabel = MakeLabel(body, kConverterLabelId);
    converterSelector_ = new QComboBox(body);
    converterSelector_->setObjectName(Id(kConverterSelectorId));
    converterSelector_->setMinimumContentsLength(16);
    packageSelector_ = new QComboBox(body);
    packageSelector_->setObjectName(Id(kPackageSelectorId));
    packageSelector_->setMinimumContentsLength(24);
    packageSelector_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    infoButton_ = new QPushButton(body);
    infoButton_->setObjectName(Id(kInfoButtonId));
    description_ = new QLineEdit(body);
    description_->setObjectName(Id(kDescriptionId));
    description_->setReadOnly(true);
    description_->setFocusPolicy(Qt::NoFocus);
    converterLabel->setBuddy(converterSelector_);
    selectors->addWidget(converterLabel, 0, 0);
    selectors->addWidget(converterSelector_, 0, 1);
    selectors->addWidget(packageSelector_, 0, 2);
    selectors->addWidget(infoButton_, 0, 3);
    selectors->addWidget(description_, 1, 2, 1, 2);
    selectors->setColumnStretch(1, 2);
    selectors->setColumnStretch(2, 3);
    bodyLayout->addLayout(selectors);

    // The grid: header, unit row, module rows 0-7 (rows 4-7 are never filled or shown).
    auto* gridFrame = new QFrame(body);
    gridFrame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(gridFrame);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(MakeLabel(gridFrame, kSerialLabelId), 0, 1);
    grid->addWidget(MakeLabel(gridFrame, kVersionLabelId), 0, 2);
    grid->addWidget(MakeLabel(gridFrame, kAvailableLabelId), 0, 4);
    grid->addWidget(MakeLabel(gridFrame, kUpdateLabelId), 0, 5);

    auto addRow = [&](RowWidgets& widgets, const RowIds& ids, int gridRow, bool unit, bool decorated) {
        if (decorated) {
            auto* picture = new QLabel(gridFrame);
            picture->setPixmap(RowPicture(unit));
            grid->addWidget(picture, gridRow, 0);
        }
        widgets.serial = MakeCell(gridFrame, ids.serial);
        widgets.version = MakeCell(gridFrame, ids.version);
        widgets.available = MakeCell(gridFrame, ids.available);
        widgets.state = MakeCell(gridFrame, ids.state);
        grid->addWidget(widgets.serial, gridRow, 1);
        grid->addWidget(widgets.version, gridRow, 2);
        if (!unit) {
            widgets.name = MakeCell(gridFrame, ids.name);
            grid->addWidget(widgets.name, gridRow, 3);
        }
        grid->addWidget(widgets.available, gridRow, 4);
        grid->addWidget(widgets.state, gridRow, 5);
    };
    addRow(unit_, kUnitRowIds, 1, true, true);
    for (int row = 0; row < kModuleRowCount; ++row) {
        addRow(modules_[static_cast<std::size_t>(row)], kModuleRowIds[static_cast<std::size_t>(row)], row + 2, false,
               row < kScannedModuleRows);
        if (row >= kScannedModuleRows) {
            RowWidgets& widgets = modules_[static_cast<std::size_t>(row)];
            for (QLineEdit* cell : {widgets.serial, widgets.version, widgets.name, widgets.available, widgets.state}) {
                QSizePolicy policy = cell->sizePolicy();
                policy.setRetainSizeWhenHidden(false);
                cell->setSizePolicy(policy);
                cell->hide();
            }
        }
    }
    grid->setColumnStretch(1, 4);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(4, 3);
    grid->setColumnStretch(5, 3);
    grid->setRowStretch(kModuleRowCount + 2, 1);
    bodyLayout->addWidget(gridFrame, 1);

    progress_ = new QProgressBar(body);
    progress_->setObjectName(Id(kProgressId));
    progress_->setTextVisible(false);
    bodyLayout->addWidget(progress_);

    // Status bar: pane 0 the current step, pane 1 the step counter.
    statusBar_ = new CDlgStatusBar(this);
    outer->addWidget(statusBar_);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressPeriod);
    connect(progressTimer_, &QTimer::timeout, this, &CModuleUpdate2Dlg::ShowSessionProgress);
    optionsTimer_ = new QTimer(this);
    optionsTimer_->setInterval(static_cast<int>(kOptionsDialogDelayMs));
    connect(optionsTimer_, &QTimer::timeout, this, &CModuleUpdate2Dlg::OnOptionsTimer);

    connect(converterSelector_, &QComboBox::activated, this, &CModuleUpdate2Dlg::OnConverterChosen);
    connect(packageSelector_, &QComboBox::activated, this, &CModuleUpdate2Dlg::OnPackageChosen);
    connect(infoButton_, &QPushButton::clicked, this, &CModuleUpdate2Dlg::OnInfo);
    versionsDlg_ = new CUpdateListDlg(this);
    infoDlg_ = new CShowInfoDlg(this);
    handlers_[kCommandVersions] = [this] { OnVersions(); };
    handlers_[kCommandHelp] = [this] { OnHelp(); };
    handlers_[kCommandAbout] = [this] { OnAbout(); };
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, [this] { RunCommand(kCommandHelpKey); });

    resize(900, 440);
}

void CModuleUpdate2Dlg::BuildToolBar()
{
    toolBar_ = new CDlgToolBar(this);
    toolBar_->setIconSize(QSize(32, 32));
    connect(toolBar_, &CDlgToolBar::CommandTriggered, this, &CModuleUpdate2Dlg::RunCommand);
    if (!toolBar_->ImagesLoaded()) {
        // Without its toolbar the window does not start: it ends at once, as cancelled.
        QMetaObject::invokeMethod(
            this,
            [this] {
                closed_ = true;
                done(QDialog::Rejected);
            },
            Qt::QueuedConnection);
    }
}

void CModuleUpdate2Dlg::InitDialog()
{
    MainModel& model = *model_;
    SettingsStore& settings = context_.settings;
    model.baudRate = ReadBaudRateFile(context_.baudRateFile);

    setWindowTitle(Text(kTextWindowCaption));
    setWindowIcon(ProgramIcon());
    for (const auto& [id, label] : {std::pair{kConverterLabelId, kTextConverterLabel},
                                    std::pair{kSerialLabelId, kTextSerialColumn},
                                    std::pair{kVersionLabelId, kTextVersionColumn},
                                    std::pair{kAvailableLabelId, kTextAvailableColumn},
                                    std::pair{kUpdateLabelId, kTextUpdateColumn}}) {
        findChild<QLabel*>(Id(id))->setText(Text(label));
    }
    infoButton_->setText(Text(kTextInfoButton));

    FillConverterSelector(settings.ReadInt(kSettingUsb, kDefaultUsb));
    progress_->setRange(0, 100);
    progress_->setValue(0);

    model.userName = settings.ReadString(kSettingUsername, kDefaultUsername);
    model.packageFolder = PreparePackageFolder(settings.ReadString(kSettingPath, kDefaultPath), context_.env);
    LoadPackageList(model);
    model.infoEnabled = false;
    infoButton_->setEnabled(false);

    if (ApplyDownloadReminder(settings, context_.clock.WallTime())) {
        context_.prompts.Message(this, kTextDownloadReminder, LoadUiString(kTextDownloadReminder));
    }
    model.downgradeAllowed =
        settings.ReadInt(kSettingDowngradePossible, kDefaultDowngradePossible) == kDowngradeEnabledValue;
    if (settings.ReadInt(kSettingShowDownload, kDefaultShowDownload) == 1) {
        optionsTimer_->start();
    }
    RefreshCommands();
}

void CModuleUpdate2Dlg::FillConverterSelector(int usbIndex)
{
    MainModel& model = *model_;
    model.converters = context_.transport.Enumerate();
    converterSelector_->clear();
    for (const std::string& id : model.converters) {
        converterSelector_->addItem(QString::fromStdString(ConverterEntryText(id)));
    }
    // A stored index beyond the list selects nothing (and is stored back as -1 at exit).
    const int count = static_cast<int>(model.converters.size());
    model.converterIndex = usbIndex >= 0 && usbIndex < count ? usbIndex : -1;
    converterSelector_->setCurrentIndex(model.converterIndex);
}

QAction* CModuleUpdate2Dlg::CommandAction(std::uint32_t command) const
{
    return toolBar_->CommandAction(command);
}

void CModuleUpdate2Dlg::SetCommandHandler(std::uint32_t command, std::function<void()> handler)
{
    handlers_[command] = std::move(handler);
    RefreshCommands();
}

void CModuleUpdate2Dlg::RunCommand(std::uint32_t command)
{
    if (command == kCommandHelpKey) {
        command = kCommandHelp;
    }
    if (!CommandAvailable(command)) {
        return;
    }
    switch (command) {
    case kCommandScan:
        OnScan();
        return;
    case kCommandUpdate:
        OnUpdate();
        return;
    case kCommandExit:
        OnExit();
        return;
    default:
        break;
    }
    handlers_.at(command)();
    RefreshCommands();
}

bool CModuleUpdate2Dlg::CommandAvailable(std::uint32_t command) const
{
    const bool wired = command == kCommandScan || command == kCommandUpdate || command == kCommandExit ||
                       (handlers_.contains(command) && handlers_.at(command));
    if (!wired) {
        return false;
    }
    CommandState state = CommandStateOf(*model_);
    state.busy = state.busy || running_;
    return CommandEnabled(command, state).value_or(false);
}

void CModuleUpdate2Dlg::RefreshCommands()
{
    toolBar_->UpdateCommandUi([this](std::uint32_t command) { return CommandAvailable(command); });
    if (running_ != waitCursor_) {
        waitCursor_ = running_;
        if (waitCursor_) {
            setCursor(Qt::WaitCursor);
        } else {
            unsetCursor();
        }
    }
}

void CModuleUpdate2Dlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RefreshCommands();
}

void CModuleUpdate2Dlg::OnScan()
{
    if (running_ || !WaitForWorkerServing(MainModel::kPreviousWorkerWait)) {
        return;
    }
    AfterStart(StartScan(*model_, *host_));
}

void CModuleUpdate2Dlg::OnUpdate()
{
    if (running_ || !WaitForWorkerServing(MainModel::kPreviousWorkerWait)) {
        return;
    }
    AfterStart(StartUpdate(*model_, *host_));
}

void CModuleUpdate2Dlg::AfterStart(MainModel::StartResult result)
{
    if (result == MainModel::StartResult::Started) {
        running_ = true;
        // The worker disables them too; until it does, a pick must not reach the model.
        converterSelector_->setEnabled(false);
        packageSelector_->setEnabled(false);
    }
    RefreshCommands();
}

void CModuleUpdate2Dlg::OnExit()
{
    LogProgramClosed();
    closing_ = true;
    StopWorker();
    SaveSettings();
    closed_ = true;
    close();
}

void CModuleUpdate2Dlg::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (running_ || model_->Busy()) {
        if (!context_.prompts.AskYesNo(this, kTextCloseWhileRunning, LoadUiString(kTextCloseWhileRunning))) {
            event->ignore();
            return;
        }
    }
    closing_ = true;
    StopWorker();
    LogProgramClosed();
    SaveSettings();
    closed_ = true;
    event->accept();
}

void CModuleUpdate2Dlg::StopWorker()
{
    optionsTimer_->stop();
    if (!model_->WaitForOperation(std::chrono::milliseconds{0})) {
        // The session's state closed ends every wait of the worker; it then ends its run.
        model_->RequestStop();
        if (!WaitForWorkerServing(kStopWait)) {
            host_->Detach();
        }
    }
    progressTimer_->stop();
}

void CModuleUpdate2Dlg::LogProgramClosed()
{
    (void)UpdateLog(model_->packageFolder, context_.clock).AppendUpdateLog(LoadUiString(kTextProgramClosed));
}

void CModuleUpdate2Dlg::SaveSettings()
{
    (void)SaveExitSettings(context_.settings, model_->converterIndex, model_->packageFolder);
}

bool CModuleUpdate2Dlg::WaitForWorkerServing(std::chrono::milliseconds timeout)
{
    if (model_->WaitForOperation(std::chrono::milliseconds{0})) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (model_->WaitForOperation(std::chrono::milliseconds{0}) || std::chrono::steady_clock::now() >= deadline) {
            loop.quit();
        }
    });
    poll.start(kWorkerPollMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return model_->WaitForOperation(std::chrono::milliseconds{0});
}

void CModuleUpdate2Dlg::keyPressEvent(QKeyEvent* event)
{
    // The window ends only through the exit command or a close.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CModuleUpdate2Dlg::OnOptionsTimer()
{
    optionsTimer_->stop();
    RunCommand(kCommandOptions);
}

void CModuleUpdate2Dlg::OnPackageChosen(int index)
{
    if (running_ || model_->Busy()) {
        return;
    }
    SelectPackageEntry(*model_, *host_, index);
    RefreshCommands();
}

void CModuleUpdate2Dlg::OnConverterChosen(int index)
{
    if (running_ || model_->Busy()) {
        return;
    }
    model_->converterIndex = index;
}

void CModuleUpdate2Dlg::OnInfo()
{
    if (running_ || model_->Busy()) {
        return;
    }
    const UpdateFile* package = PackageForInfo(*model_);
    if (package != nullptr) {
        infoDlg_->SetPackage(*package);
        infoDlg_->exec();
    }
}

void CModuleUpdate2Dlg::OnVersions()
{
    versionsDlg_->SetPackages(model_->packages);
    versionsDlg_->exec();
}

void CModuleUpdate2Dlg::OnHelp()
{
    (void)RunHelpCommand(this, ProgramHelpFile(), context_.openUrl);
}

void CModuleUpdate2Dlg::OnAbout()
{
    const UiTexts* texts = ProcessUiTexts();
    (void)ShowAboutSplash(this, texts != nullptr ? texts->LanguageFolder() : std::filesystem::path());
}

void CModuleUpdate2Dlg::ReloadPackages()
{
    if (running_ || model_->Busy()) {
        return;
    }
    ReloadPackageList(*model_, *host_);
    RefreshCommands();
}

void CModuleUpdate2Dlg::ShowSessionProgress()
{
    progress_->setValue(static_cast<int>(model_->SessionProgress()));
}

CModuleUpdate2Dlg::RowWidgets& CModuleUpdate2Dlg::Row(int row)
{
    return row == kUnitRow ? unit_ : modules_.at(static_cast<std::size_t>(row));
}

void CModuleUpdate2Dlg::SetPaneText(int pane, const QString& text)
{
    statusBar_->SetPaneText(pane, text);
}

// --- Host calls. ---

void CModuleUpdate2Dlg::OnResetDisplay()
{
    infoButton_->setEnabled(false);
    for (int row = kUnitRow; row < kScannedModuleRows; ++row) {
        RowWidgets& widgets = Row(row);
        widgets.serial->hide();
        widgets.version->hide();
        if (widgets.name != nullptr) {
            widgets.name->hide();
        }
    }
    statusBar_->ClearPanes();
    description_->clear();
    progress_->setValue(0);
}

void CModuleUpdate2Dlg::OnShowRow(int row, const RowIdentity& identity, bool visible)
{
    RowWidgets& widgets = Row(row);
    if (visible) {
        widgets.serial->setText(QString::fromStdString(identity.serial));
        widgets.version->setText(QString::fromStdString(identity.version));
        if (widgets.name != nullptr && identity.hasName) {
            widgets.name->setText(QString::fromStdString(identity.name));
        }
    }
    widgets.serial->setVisible(visible);
    widgets.version->setVisible(visible);
    if (widgets.name != nullptr) {
        widgets.name->setVisible(visible);
    }
}

void CModuleUpdate2Dlg::OnSetAvailableVersion(int row, const std::string& text)
{
    Row(row).available->setText(QString::fromStdString(text));
}

void CModuleUpdate2Dlg::OnSetUpdateStateText(int row, const std::string& text)
{
    RowWidgets& widgets = Row(row);
    widgets.state->setText(QString::fromStdString(text));
    widgets.state->setToolTip(QString());
}

void CModuleUpdate2Dlg::OnShowAvailabilityCells(int row, bool visible)
{
    Row(row).available->setVisible(visible);
    Row(row).state->setVisible(visible);
}

void CModuleUpdate2Dlg::OnSetRestartCheck(int row, RestartCheck check)
{
    RowWidgets& widgets = Row(row);
    const std::string serial = widgets.serial->text().toStdString();
    const std::string reported = widgets.version->text().toStdString();
    const std::string programmed = widgets.available->text().toStdString();
    std::string tip;
    switch (check) {
    case RestartCheck::Verified:
        tip = FormatUiString(kTextRestartVerified, serial, reported);
        break;
    case RestartCheck::NotBack:
        tip = FormatUiString(kTextRestartNotBack, serial);
        break;
    case RestartCheck::OtherVersion:
        tip = FormatUiString(kTextRestartOtherVersion, serial, reported, programmed);
        break;
    case RestartCheck::None:
        break;
    }
    widgets.state->setToolTip(QString::fromStdString(tip).trimmed());
}

void CModuleUpdate2Dlg::OnSetPackageSelector(const std::vector<SelectorEntry>& entries)
{
    packageSelector_->clear();
    for (const SelectorEntry& entry : entries) {
        packageSelector_->addItem(QString::fromStdString(entry.text), entry.itemData);
    }
    packageSelector_->setCurrentIndex(-1);
}

void CModuleUpdate2Dlg::OnSelectPackage(int index)
{
    packageSelector_->setCurrentIndex(index);
}

void CModuleUpdate2Dlg::OnSetPackageDescription(const std::string& text)
{
    description_->setText(QString::fromStdString(text));
    description_->setCursorPosition(0);
}

void CModuleUpdate2Dlg::OnEnableInfoButton(bool enabled)
{
    infoButton_->setEnabled(enabled);
}

void CModuleUpdate2Dlg::OnEnableSelectors(bool enabled)
{
    converterSelector_->setEnabled(enabled);
    packageSelector_->setEnabled(enabled);
}

void CModuleUpdate2Dlg::OnShowSteps(int done, int total)
{
    statusBar_->SetStepCounter(done, total);
    emit stepsShown(done, total);
}

void CModuleUpdate2Dlg::OnStartProgressTimer()
{
    progressTimer_->start();
}

void CModuleUpdate2Dlg::OnStopProgressTimer()
{
    progressTimer_->stop();
}

void CModuleUpdate2Dlg::OnSetProgress(std::uint32_t percent)
{
    progress_->setValue(static_cast<int>(percent));
}

void CModuleUpdate2Dlg::OnSetStatusText(const std::string& text)
{
    SetPaneText(0, QString::fromStdString(text));
}

void CModuleUpdate2Dlg::OnShowMessage(std::uint32_t stringId, const std::string& text)
{
    // Once the user has chosen to stop and close, the stopped run's outcome is not shown.
    if (!closing_) {
        context_.prompts.Message(this, stringId, text);
    }
}

bool CModuleUpdate2Dlg::OnConfirm(std::uint32_t stringId, const std::string& text)
{
    return !closing_ && context_.prompts.AskOkCancel(this, stringId, text);
}

void CModuleUpdate2Dlg::OnOperationEnded(bool succeeded)
{
    running_ = false;
    RefreshCommands();
    emit operationEnded(succeeded);
}

}  // namespace quorfw
