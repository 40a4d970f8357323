#include "app/ScanUpdateWorker.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/MainModel.h"
#include "app/PackageAvailability.h"
#include "app/PackageSelector.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "app/UpdateRun.h"
#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/ModuleIdentity.h"
#include "common/LittleEndian.h"
#include "packages/VersionNumber.h"
#include "programming/SettingsMerge.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kWaitForUnitMs = 3000;
constexpr std::uint32_t kAfterDiscoveryPauseMs = 50;
constexpr std::uint32_t kUnitExtraBlockType = 9;
constexpr std::uint32_t kUnitTypeWithModules = 3;
// Unit types that carry one module of their own behind them, unless their kind code is 10.
constexpr std::uint32_t kSingleModuleUnitTypes[] = {1, 12, 2};
constexpr std::uint8_t kNoSingleModuleKindCode = 10;
constexpr std::size_t kSerialChars = 14;

// The hold request that keeps the unit quiet after a scan.
constexpr std::uint16_t kHoldLength = 27;
constexpr std::uint32_t kHoldSource = 0xA0000000;
constexpr std::uint32_t kHoldOperand = 0xFF;
constexpr std::uint8_t kHoldFrameFlags = 0x81;
constexpr std::uint8_t kHoldKind = 0x80;

std::size_t CountedSlots(const BusSession& session)
{
    return static_cast<std::size_t>(std::clamp<std::int32_t>(session.moduleCount, 0, BusSession::kModuleSlots));
}

// The serial number as the information block carries it: 14 8-bit characters, up to a 0.
std::string SerialFromInformation(const ModuleInfo& slot)
{
    const auto* first = slot.information.data() + kModuleInfoSerialOffset;
    const auto* last = std::find(first, first + kSerialChars, std::uint8_t{0});
    return std::string(first, last);
}

// The module settings the update writes back after the restart, as the information block
// holds them.
bool SameSettings(const ModuleInfo& shown, const ModuleInfo& found)
{
    for (const std::size_t offset : {infofield::kParameter208, infofield::kParameter218, infofield::kParameter256,
                                     infofield::kParameter270}) {
        if (shown.information[offset] != found.information[offset]) {
            return false;
        }
    }
    const auto word = [](const ModuleInfo& m) { return ReadLe32(&m.information[infofield::kParameter112]); };
    return word(shown) == word(found);
}

bool SameStation(const ModuleInfo& shown, const ModuleInfo& found)
{
    return found.present != 0 && found.address == shown.address && found.type == shown.type &&
           found.serial == shown.serial && found.version == shown.version && SameSettings(shown, found);
}

// An update programs what the user saw, so the scan before it must find exactly that again:
// the unit, and every module shown at the same address with the same type, serial number
// and version, and the same settings to write back. An answer damaged on the bus can pass its
// 8-bit checksum; a station read differently by the two scans is not taken to be the one
// that was shown.
bool SameStations(const DisplayedInstallation& shown, const BusSession& session)
{
    if ((shown.unit.present != 0) != (session.unit.present != 0) ||
        (shown.unit.present != 0 && !SameStation(shown.unit, session.unit))) {
        return false;
    }
    const std::int32_t rows = std::clamp<std::int32_t>(shown.moduleCount, 0, BusSession::kModuleSlots);
    for (std::int32_t row = 0; row < rows; ++row) {
        const ModuleInfo& module = shown.modules[static_cast<std::size_t>(row)];
        if (module.present == 0) {
            continue;
        }
        const bool found = std::any_of(session.modules.begin(), session.modules.end(),
                                       [&](const ModuleInfo& slot) { return SameStation(module, slot); });
        if (!found) {
            return false;
        }
    }
    return true;
}

class ScanRun {
public:
    ScanRun(MainModel& model, UpdateHost& host, BusSession& session) : ctx_(model, host, session) {}

    void Run();

private:
    [[nodiscard]] bool Discover();
    [[nodiscard]] bool ReadUnit();
    [[nodiscard]] bool ReadModules();
    void ChoosePackage(bool sameInstallation);
    void ShowInstallation();
    void SendHold();
    void End(bool succeeded);

    void ClearSessionInstallation();
    void SetWorkingPackage(int itemData);

    ScanUpdateContext ctx_;
    UpdateFile working_;
};

void ScanRun::Run()
{
    MainModel& model = ctx_.model;
    BusSession& session = ctx_.session;

    ctx_.Log(kTextScanStart);
    working_ = UpdateFile{};
    model.selectorsEnabled = false;
    ctx_.host.EnableSelectors(false);
    if (model.SelectedItemData() >= 0) {
        model.rememberedSelection = model.selectorIndex;
        SetWorkingPackage(model.SelectedItemData());
    }
    ClearSessionInstallation();
    // What the user saw, before this scan writes into the display.
    const DisplayedInstallation shown = model.displayed;

    bool scanOk = Discover();
    session.clock().SleepMs(kAfterDiscoveryPauseMs);
    if (!model.operationMode) {
        model.displayed.Clear();
    }
    if (scanOk) {
        scanOk = session.AnnounceLinkKey(BusSession::kAnnounceAll);
    }
    if (scanOk && session.unit.present != 0) {
        scanOk = Identify(session, kIdentifyUnit);
    }
    if (scanOk && session.unit.present != 0) {
        scanOk = ReadUnit();
    }
    if (scanOk) {
        scanOk = ReadModules();
    }
    model.displayed.CopyUnitFrom(session);
    if (!scanOk) {
        End(false);
        return;
    }

    // The comparison of the unit rows holds by now in any case, and module rows are compared
    // by address only; an update also compares the stations themselves.
    const bool sameInstallation =
        SameInstallation(model, session) && (!model.operationMode || SameStations(shown, session));
    ChoosePackage(sameInstallation);
    ShowInstallation();

    if (!model.operationMode) {
        if (session.unit.present != 0) {
            SendHold();
        }
        End(true);
        return;
    }
    if (!sameInstallation) {
        // The bus holds another installation than the one the user chose from (a station
        // exchanged, or one that did not answer this time): show it, program nothing, and
        // do not call that a completed update.
        ctx_.Log(kTextInstallationChanged);
        End(false);
        return;
    }
    End(RunUpdate(ctx_, working_));
}

bool ScanRun::Discover()
{
    BusSession& session = ctx_.session;
    std::uint32_t result = WaitForUnit(session, kWaitForUnitMs);
    if (result == kBusSilent) {
        ctx_.Log(kTextNoUnitAnswer);
        if (ScanBus(session)) {
            ctx_.Log(kTextScanFoundStation);
            result = kUnitAnswered;
        } else {
            ctx_.Log(kTextScanFoundNothing);
        }
    }
    return result == kUnitAnswered;
}

bool ScanRun::ReadUnit()
{
    BusSession& session = ctx_.session;
    ctx_.ShowRow(kUnitRow, true);
    if (session.unit.recognised != 0) {
        // A known unit family speaks for itself; its modules are not read here.
        for (ModuleInfo& slot : session.modules) {
            slot = ModuleInfo{};
        }
        session.moduleCount = 0;
        return true;
    }
    bool ok = ReadModuleInfo(session, kUnitInformationSlot);
    if (ok && session.unit.type == kUnitExtraBlockType) {
        ok = ReadModuleInfo(session, kUnitExtraSlot);
    }
    if (session.moduleCount == 0) {
        session.moduleCount = static_cast<std::int32_t>(
            std::count_if(session.modules.begin(), session.modules.end(),
                          [](const ModuleInfo& slot) { return slot.present != 0; }));
    }
    return ok;
}

bool ScanRun::ReadModules()
{
    MainModel& model = ctx_.model;
    BusSession& session = ctx_.session;
    const bool unitPresent = session.unit.present != 0;

    if (session.unit.type == kUnitTypeWithModules) {
        (void)session.AnnounceLinkKey(BusSession::kAnnounceAll);
    }
    if (!unitPresent || session.unit.type == kUnitTypeWithModules) {
        for (std::size_t i = 0; i < CountedSlots(session); ++i) {
            ModuleInfo& slot = session.modules[i];
            if (slot.present == 0) {
                continue;
            }
            if (ReadModuleInfo(session, static_cast<std::uint8_t>(i))) {
                const int row = static_cast<int>(i);
                ctx_.ShowRow(row, true);
                model.displayed.Row(row).type = slot.type;
                model.displayed.Row(row).serial = SerialFromInformation(slot);
            } else {
                slot.present = 0;
            }
        }
    }

    bool ok = true;
    const std::uint32_t unitType = session.unit.type;
    const bool singleModuleType = std::find(std::begin(kSingleModuleUnitTypes), std::end(kSingleModuleUnitTypes),
                                            unitType) != std::end(kSingleModuleUnitTypes);
    if (session.unit.recognised == 0 && singleModuleType &&
        session.unitInformation[kUnitKindCodeOffset] != kNoSingleModuleKindCode) {
        session.moduleCount = 1;
        ok = session.AnnounceLinkKey(BusSession::kAnnounceAll);
        if (ok) {
            (void)ReadModuleInfo(session, 0);
            ctx_.ShowRow(0, true);
        }
    }
    if (ok) {
        ok = FillPackageSelector(model, ctx_.host, session);
    }
    return ok;
}

void ScanRun::SetWorkingPackage(int itemData)
{
    const UpdateFile* package = ctx_.model.PackageOfItem(itemData);
    if (package != nullptr) {
        working_ = *package;
    } else {
        working_.Clear();
    }
}

void ScanRun::ChoosePackage(bool sameInstallation)
{
    MainModel& model = ctx_.model;
    const int entries = static_cast<int>(model.selector.size());
    const int remembered = model.rememberedSelection;
    // A remembered entry the selector no longer has falls back to the last one as well.
    const int index = sameInstallation && remembered >= 0 && remembered < entries ? remembered : entries - 1;
    model.selectorIndex = index;
    ctx_.host.SelectPackage(index);
    SetWorkingPackage(model.SelectedItemData());
    model.rememberedSelection = index;
}

void ScanRun::ShowInstallation()
{
    MainModel& model = ctx_.model;
    BusSession& session = ctx_.session;

    model.displayed.Clear();
    model.displayed.CopyInstallationFrom(session);
    ShowAvailability(model, ctx_.host, true);
    model.packageDescription = working_.GetTitle();
    ctx_.host.SetPackageDescription(model.packageDescription);

    for (std::size_t i = 0; i < CountedSlots(session); ++i) {
        const ModuleInfo& slot = session.modules[i];
        if (slot.present == 0) {
            continue;
        }
        const std::string packageVersion = working_.GetVersion(static_cast<int>(slot.type));
        DecideAvailability(model, ctx_.host, static_cast<int>(i), packageVersion);
        ctx_.Log(kTextModuleVersions, slot.serial, VersionText(slot.version), packageVersion);
    }
    if (session.unit.present != 0) {
        const std::string packageVersion = working_.GetVersion(static_cast<int>(session.unit.type));
        DecideAvailability(model, ctx_.host, kUnitRow, packageVersion);
        model.displayed.unit.address = session.unit.address;
        ctx_.Log(kTextUnitVersions, session.unit.serial, VersionText(session.unit.version), packageVersion);
    }
}

void ScanRun::SendHold()
{
    BusSession& session = ctx_.session;
    BusMessage hold;
    FillRequest(session.link, hold, kHoldLength, kHoldSource, session.unit.address, kCmdContinue, kHoldOperand, 0,
                kHoldFrameFlags, kHoldKind);
    // Not awaited: the unit only has to stay quiet while the window shows the result.
    (void)session.SendFrame(hold);
}

void ScanRun::ClearSessionInstallation()
{
    BusSession& session = ctx_.session;
    session.unit = ModuleInfo{};
    session.unitInformation.fill(0);
    session.unitExtraBlock.fill(0);
    for (ModuleInfo& slot : session.modules) {
        slot = ModuleInfo{};
    }
    session.moduleCount = 0;
}

void ScanRun::End(bool succeeded)
{
    MainModel& model = ctx_.model;
    UpdateHost& host = ctx_.host;
    if (model.operationMode) {
        if (succeeded) {
            ctx_.Log(kTextUpdateDone);
            host.SetProgress(100);
            ctx_.Message(kTextUpdateDone);
        } else {
            ctx_.Message(kTextUpdateFailedMessage);
        }
    } else if (succeeded) {
        (void)ctx_.session.AwaitFrame();
    }
    host.StopProgressTimer();
    host.SetProgress(0);
    model.lastOperationSucceeded = succeeded;
    model.selectorsEnabled = true;
    model.EndOperation();  // closes the converter; the session is gone from here on
    host.EnableSelectors(true);
    host.OperationEnded(succeeded);
}

}  // namespace

void ScanUpdateWorker(MainModel& model, UpdateHost& host, BusSession& session)
{
    ScanRun(model, host, session).Run();
}

}  // namespace quorfw
