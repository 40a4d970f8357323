#include "dialogs/DeviceFirmwareWorker.h"

#include <cstdint>
#include <vector>

#include "app/MainModel.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/BusSession.h"
#include "bus/DeviceTypes.h"
#include "bus/ModuleIdentity.h"
#include "dialogs/DisplayedUnitConnection.h"
#include "packages/PackageSections.h"
#include "packages/UpdateFile.h"
#include "programming/ModuleProgramming.h"

namespace quorfw {

namespace {

constexpr int kDeviceFirmwareModuleType = 5;
constexpr auto kSlot = static_cast<std::uint8_t>(kDeviceFirmwareSlot);

// The session works on the unit and slot 0 only; slot 0's address comes from the scan the
// user saw, its information from the read below.
void TakeDisplayedSlot(const MainModel& model, BusSession& session)
{
    const ModuleInfo& shown = model.displayed.modules[kDeviceFirmwareSlot];
    for (ModuleInfo& slot : session.modules) {
        slot = ModuleInfo{};
    }
    ModuleInfo& slot = session.modules[kDeviceFirmwareSlot];
    slot.present = shown.present;
    slot.address = shown.address;
    slot.type = shown.type;
    slot.serial = shown.serial;
    session.moduleCount = shown.present != 0 ? 1 : 0;
}

bool SlotHoldsDeviceScanner(const ModuleInfo& slot)
{
    return slot.present != 0 && slot.type != kModuleTypeKeypad && IsDeviceFirmwareSerial(slot.serial);
}

class DeviceFirmwareRun {
public:
    DeviceFirmwareRun(MainModel& model, UpdateHost& host, BusSession& session, const UpdateFile& package)
        : ctx_(model, host, session), package_(package)
    {
    }

    // UpdateModule's code, or why nothing was programmed.
    [[nodiscard]] int Run();
    [[nodiscard]] const std::string& Version() const { return version_; }

private:
    [[nodiscard]] int Program();

    ScanUpdateContext ctx_;
    // The worker's own copy: the programming reads its image, settings and articles.
    UpdateFile package_;
    std::vector<std::uint8_t> settingsTemplate_;
    std::string version_;
};

int DeviceFirmwareRun::Run()
{
    BusSession& session = ctx_.session;
    const bool connected = ConnectToDisplayedUnit(ctx_);
    CopyDisplayedUnit(ctx_.model.displayed, session);
    TakeDisplayedSlot(ctx_.model, session);
    if (!connected || !session.AnnounceLinkKey(BusSession::kAnnounceAll)) {
        return kDeviceFirmwareNotConnected;
    }
    // Without a fresh information block the programming would carry nothing of the
    // scanner's configuration into its new image, and a station exchanged since the scan
    // would receive firmware that is not its own.
    if (!ReadModuleInfo(session, kSlot) || !SlotHoldsDeviceScanner(session.modules[kDeviceFirmwareSlot])) {
        return kDeviceFirmwareNoScanner;
    }
    return Program();
}

int DeviceFirmwareRun::Program()
{
    BusSession& session = ctx_.session;
    UpdateHost& host = ctx_.host;
    const SharedBytes* image = package_.GetImage(kDeviceFirmwareModuleType);
    const SharedBytes* settings = package_.GetSectionImage(kType5SettingsSection);
    settingsTemplate_ = settings != nullptr ? settings->ToVector() : std::vector<std::uint8_t>{};
    version_ = package_.GetVersion(kDeviceFirmwareModuleType);
    session.settingsTemplate = &settingsTemplate_;
    session.deviceValues = &package_.GetArticles();

    host.StartProgressTimer();
    host.SetStatusText(FormatUiString(kTextProgramming, session.modules[kDeviceFirmwareSlot].serial));
    const std::span<const std::uint8_t> bytes = image != nullptr ? image->span() : std::span<const std::uint8_t>{};
    const int code = UpdateModule(session, bytes, version_, kSlot, true);
    host.StopProgressTimer();

    session.settingsTemplate = nullptr;
    session.deviceValues = nullptr;
    return code;
}

}  // namespace

bool IsDeviceFirmwareSerial(std::string_view serial)
{
    return serial.substr(0, kDeviceFirmwareArticle.size()) == kDeviceFirmwareArticle;
}

void DeviceFirmwareWorker(MainModel& model, UpdateHost& host, BusSession& session, const UpdateFile& package)
{
    int code = kDeviceFirmwareNotConnected;
    std::string version;
    {
        DeviceFirmwareRun run(model, host, session, package);
        code = run.Run();
        version = run.Version();
    }
    switch (code) {
    case kProgramOk:
        host.ReportOutcome(kTextDeviceFirmwareProgrammed, FormatUiString(kTextDeviceFirmwareProgrammed, version), code);
        break;
    case kDeviceFirmwareNotConnected:
        host.ReportOutcome(kTextNothingSentNoUnit, LoadUiString(kTextNothingSentNoUnit), code);
        break;
    case kDeviceFirmwareNoScanner:
        host.ReportOutcome(kTextDeviceFirmwareNoScanner, LoadUiString(kTextDeviceFirmwareNoScanner), code);
        break;
    default:
        host.ReportOutcome(kTextDeviceFirmwareFailed, FormatUiString(kTextDeviceFirmwareFailed, code), code);
        break;
    }
    host.SetProgress(0);
    model.lastOperationSucceeded = code == kProgramOk;
    model.EndOperation();  // closes the converter; the session is gone from here on
    host.OperationEnded(code == kProgramOk);
}

}  // namespace quorfw
