#include "app/UpdateRun.h"

#include <algorithm>
#include <array>
#include <optional>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/GridRows.h"
#include "app/MainModel.h"
#include "app/PackageAvailability.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "app/UnitImage.h"
#include "bus/ModuleParameterCommands.h"
#include "bus/BusSession.h"
#include "bus/ModuleIdentity.h"
#include "packages/PackageContainer.h"
#include "packages/PackageSections.h"
#include "packages/UpdateFile.h"
#include "packages/VersionNumber.h"
#include "programming/ModuleProgramming.h"
#include "programming/FirmwareTransfer.h"

namespace quorfw {

namespace {

constexpr int kPasses = 5;
constexpr int kModuleSteps = 2;
constexpr int kUnitSteps = 1;
constexpr std::uint64_t kRestartWaitMs = 20000;
// Programmed modules are looked for in this order; the unit after each of them.
constexpr std::array<std::size_t, 4> kRestartSlotOrder = {1, 2, 3, 0};
constexpr const char* kUnitTransferName = "IE";
constexpr std::uint8_t kUnitTransferSlot = 0xFF;

bool TypeHasImage(std::uint32_t type)
{
    return type >= 1 && type <= 12;
}

const SharedBytes* ImageForType(const UpdateFile& package, std::uint32_t type)
{
    return TypeHasImage(type) ? package.GetImage(static_cast<int>(type)) : nullptr;
}

class UpdateRun {
public:
    UpdateRun(ScanUpdateContext& ctx, UpdateFile& working) : ctx_(ctx), working_(working) {}

    bool Run();

private:
    struct Programmed {
        int row;
        std::string version;
        // Its identity answered during the wait, with whatever version.
        bool answered = false;
        // Back with the programmed version, but its saved settings are not all written yet.
        bool settingsOwed = false;
    };

    void CountSteps();
    void Passes();
    [[nodiscard]] bool ProgramUnit();
    [[nodiscard]] bool TransferUnitImage(const SharedBytes& image);
    [[nodiscard]] bool ProgramModule(std::size_t slotIndex);
    void AwaitRestarts();
    [[nodiscard]] bool AnyAwaited() const;
    void AwaitModule(std::size_t slotIndex);
    void AwaitUnit();
    [[nodiscard]] bool BackWithProgrammedVersion(int row, const ModuleInfo& station);
    [[nodiscard]] bool IdentifyStation(std::uint8_t slot, ModuleInfo& station);
    void CheckRestarts();
    [[nodiscard]] Programmed* ProgrammedRow(int row);
    [[nodiscard]] bool Marked(int row) const;
    [[nodiscard]] ModuleInfo& Station(int row);

    ScanUpdateContext& ctx_;
    UpdateFile& working_;
    int done_ = 0;
    int total_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> settingsTemplate_;
    std::vector<Programmed> programmed_;
};

bool UpdateRun::Marked(int row) const
{
    return ctx_.model.displayed.UpdateOffered(row);
}

ModuleInfo& UpdateRun::Station(int row)
{
    return row == kUnitRow ? ctx_.session.unit : ctx_.session.modules.at(static_cast<std::size_t>(row));
}

bool UpdateRun::Run()
{
    CountSteps();
    // The package was loaded for display only; programming needs its images. A package
    // that no longer loads must not be half used: nothing is programmed then.
    const bool loaded = working_.Load(working_.GetPath(), false);
    if (!loaded && total_ > 0) {
        ctx_.Log(kTextUpdateFailed);
        failed_ = true;
    } else {
        Passes();
    }
    AwaitRestarts();
    CheckRestarts();
    return !failed_;
}

void UpdateRun::CountSteps()
{
    const BusSession& session = ctx_.session;
    const std::int32_t counted = std::clamp<std::int32_t>(session.moduleCount, 0, BusSession::kModuleSlots);
    for (std::int32_t i = 0; i < counted; ++i) {
        if (session.modules[static_cast<std::size_t>(i)].present != 0 && Marked(i)) {
            total_ += kModuleSteps;
        }
    }
    if (session.unit.present != 0 && Marked(kUnitRow)) {
        total_ += kUnitSteps;
    }
}

void UpdateRun::Passes()
{
    UpdateHost& host = ctx_.host;
    BusSession& session = ctx_.session;
    for (int pass = 0; pass < kPasses; ++pass) {
        host.ShowSteps(done_, total_);
        if (pass == 0 && session.unit.present != 0 && Marked(kUnitRow)) {
            failed_ = !ProgramUnit();
        }
        if (!failed_ && pass < static_cast<int>(BusSession::kModuleSlots)) {
            const auto slot = static_cast<std::size_t>(pass);
            if (session.modules[slot].present != 0 && Marked(pass)) {
                failed_ = !ProgramModule(slot);
            }
        }
        const bool last = pass == kPasses - 1 || done_ >= total_;
        host.ShowSteps(done_, total_);
        if (failed_ || last) {
            return;
        }
    }
}

bool UpdateRun::ProgramUnit()
{
    UpdateHost& host = ctx_.host;
    BusSession& session = ctx_.session;
    ModuleInfo& unit = session.unit;

    const SharedBytes* image = ImageForType(working_, unit.type);
    host.StartProgressTimer();
    host.ShowSteps(1, total_);
    ctx_.Log(kTextUnitUpdateStart);
    host.SetStatusText(FormatUiString(kTextProgramming, unit.serial));
    const std::string version = working_.GetVersion(static_cast<int>(unit.type));

    bool ok = false;
    if (image != nullptr && !image->empty()) {
        const std::uint64_t startMs = session.clock().NowMs();
        session.progress.store(0);
        unit.restartPending = 0;
        ok = TransferUnitImage(*image);
        session.transferDuration = static_cast<std::uint32_t>(session.clock().NowMs() - startMs);
    }
    if (ok) {
        SetUpdateState(ctx_.model, host, kUnitRow, UpdateState::Done, session.transferDuration);
        ctx_.Log(kTextUnitUpdated, version);
        done_ = kUnitSteps;
        // Awaited like a module, so that its version is read back after its restart.
        unit.restartPending = 1;
        programmed_.push_back({kUnitRow, version});
    } else {
        ctx_.Log(kTextUpdateFailed);
    }
    host.StopProgressTimer();
    return ok;
}

bool UpdateRun::TransferUnitImage(const SharedBytes& image)
{
    const auto parts = SplitUnitImage(image.span());
    if (!parts) {
        return false;
    }
    std::vector<std::uint8_t> part1;
    if (!DecryptPackageData(parts->part1, part1)) {
        return false;
    }
    if (!parts->part2.empty()) {
        // Only checked: the unit takes part 1; a package whose part 2 is damaged is refused.
        std::vector<std::uint8_t> part2;
        if (!DecryptPackageData(parts->part2, part2)) {
            return false;
        }
    }
    if (!TransferImage(ctx_.session, part1, kUnitTransferName, kUnitTransferSlot)) {
        return false;
    }
    (void)ctx_.session.AwaitFrame();
    return true;
}

bool UpdateRun::ProgramModule(std::size_t slotIndex)
{
    UpdateHost& host = ctx_.host;
    BusSession& session = ctx_.session;
    ModuleInfo& slot = session.modules[slotIndex];
    const int row = static_cast<int>(slotIndex);

    const SharedBytes* image = ImageForType(working_, slot.type);
    const SharedBytes* settings =
        working_.GetSectionImage(SettingsSectionForModuleType(static_cast<int>(slot.type)));
    settingsTemplate_ = settings != nullptr ? settings->ToVector() : std::vector<std::uint8_t>{};
    session.settingsTemplate = &settingsTemplate_;

    host.StartProgressTimer();
    host.ShowSteps(done_ + 1, total_);
    ctx_.Log(kTextModuleUpdateStart, done_ + 1);
    host.SetStatusText(FormatUiString(kTextProgramming, slot.serial));
    const std::string version = working_.GetVersion(static_cast<int>(slot.type));

    const std::span<const std::uint8_t> bytes = image != nullptr ? image->span() : std::span<const std::uint8_t>{};
    const int code = UpdateModule(session, bytes, version, static_cast<std::uint8_t>(slotIndex), false);
    const bool ok = code == kProgramOk;
    if (ok) {
        SetUpdateState(ctx_.model, host, row, UpdateState::Done, session.transferDuration);
        ctx_.Log(kTextModuleUpdated, version);
        done_ += kModuleSteps;
        programmed_.push_back({row, version});
    } else {
        ctx_.Log(kTextUpdateFailed);
    }
    host.StopProgressTimer();
    return ok;
}

UpdateRun::Programmed* UpdateRun::ProgrammedRow(int row)
{
    const auto found = std::find_if(programmed_.begin(), programmed_.end(),
                                    [row](const Programmed& p) { return p.row == row; });
    return found != programmed_.end() ? &*found : nullptr;
}

bool UpdateRun::AnyAwaited() const
{
    const BusSession& session = ctx_.session;
    if (session.unit.present != 0 && session.unit.restartPending != 0) {
        return true;
    }
    for (const ModuleInfo& slot : session.modules) {
        if (slot.present != 0 && slot.restartPending != 0) {
            return true;
        }
    }
    return std::any_of(programmed_.begin(), programmed_.end(), [](const Programmed& p) { return p.settingsOwed; });
}

// A station that still answers with another version than the one just programmed has
// not restarted yet: real stations go on running their old firmware for a moment after
// the commit, and settings written then would be lost in the restart.
bool UpdateRun::BackWithProgrammedVersion(int row, const ModuleInfo& station)
{
    Programmed* programmed = ProgrammedRow(row);
    if (programmed == nullptr) {
        return true;  // not programmed in this run: any answer will do
    }
    programmed->answered = true;
    return station.version == VersionToInt(programmed->version);
}

// Identify, but an answer that names another serial number than the station's was damaged
// on the way (its checksum is only 8 bits wide): it is set aside and the station keeps what
// was known of it.
bool UpdateRun::IdentifyStation(std::uint8_t slot, ModuleInfo& station)
{
    const ModuleInfo known = station;
    if (!Identify(ctx_.session, slot)) {
        return false;
    }
    if (station.serial != known.serial) {
        station = known;
        return false;
    }
    return true;
}

void UpdateRun::AwaitModule(std::size_t slotIndex)
{
    BusSession& session = ctx_.session;
    ModuleInfo& slot = session.modules[slotIndex];
    const int row = static_cast<int>(slotIndex);
    const auto slotNumber = static_cast<std::uint8_t>(slotIndex);
    Programmed* programmed = ProgrammedRow(row);
    const bool owed = programmed != nullptr && programmed->settingsOwed;
    if (slot.present == 0 || (slot.restartPending == 0 && !owed)) {
        return;
    }
    (void)session.AnnounceLinkKey(slotNumber);
    if (slot.restartPending != 0) {
        if (!IdentifyStation(slotNumber, slot) || !BackWithProgrammedVersion(row, slot)) {
            return;
        }
        slot.restartPending = 0;
    }
    const std::optional<bool> written = WriteBackSlotSettings(session, slotNumber);
    if (programmed != nullptr) {
        // Unanswered writes are sent again in the next round; the writes are idempotent.
        programmed->settingsOwed = written.has_value() && !*written;
    }
}

void UpdateRun::AwaitUnit()
{
    BusSession& session = ctx_.session;
    ModuleInfo& unit = session.unit;
    if (unit.present != 0 && unit.restartPending != 0 && IdentifyStation(kIdentifyUnit, unit) &&
        BackWithProgrammedVersion(kUnitRow, unit)) {
        unit.restartPending = 0;
    }
}

void UpdateRun::AwaitRestarts()
{
    BusSession& session = ctx_.session;
    const std::uint64_t startMs = session.clock().NowMs();
    std::size_t next = 0;
    // A closed session answers nothing; waiting on would only spin.
    while (AnyAwaited() && session.clock().NowMs() - startMs <= kRestartWaitMs && session.IsOpen()) {
        AwaitModule(kRestartSlotOrder[next++ % kRestartSlotOrder.size()]);
        AwaitUnit();
    }
    ctx_.ShowRow(kUnitRow, true);
    for (int row = 0; row < kScannedModuleRows; ++row) {
        ctx_.ShowRow(row, true);
    }
}

void UpdateRun::CheckRestarts()
{
    for (const Programmed& programmed : programmed_) {
        const ModuleInfo& station = Station(programmed.row);
        RestartCheck check = RestartCheck::Verified;
        if (station.restartPending != 0 && programmed.answered) {
            // It answered, but never with the programmed version; its settings were kept back.
            check = RestartCheck::OtherVersion;
            ctx_.Log(kTextRestartOtherVersion, station.serial, VersionText(station.version), programmed.version);
        } else if (station.restartPending != 0) {
            check = RestartCheck::NotBack;
            ctx_.Log(kTextRestartNotBack, station.serial);
        } else if (programmed.settingsOwed) {
            check = RestartCheck::NotBack;
            ctx_.Log(kTextRestartSettingsLost, station.serial, VersionText(station.version));
            ctx_.Report(station.serial, programmed.version);  // it does run the new version
        } else if (station.version != VersionToInt(programmed.version)) {
            check = RestartCheck::OtherVersion;
            ctx_.Log(kTextRestartOtherVersion, station.serial, VersionText(station.version), programmed.version);
        } else {
            ctx_.Log(kTextRestartVerified, station.serial, VersionText(station.version));
            // The report tells the update service what the station runs now, so it is written
            // only once the station has said so; a transfer the station never took (a lost
            // end or restart request) must not be reported as an update.
            ctx_.Report(station.serial, programmed.version);
        }
        ctx_.model.Cells(programmed.row).restartCheck = check;
        ctx_.host.SetRestartCheck(programmed.row, check);
    }
}

}  // namespace

bool RunUpdate(ScanUpdateContext& ctx, UpdateFile& working)
{
    return UpdateRun(ctx, working).Run();
}

}  // namespace quorfw
