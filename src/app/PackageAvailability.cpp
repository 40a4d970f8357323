#include "app/PackageAvailability.h"

#include <string>

#include "app/GridRows.h"
#include "app/MainModel.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "app/UpdateHost.h"
#include "packages/VersionNumber.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kAddressRoleMask = 0xF0000000;
constexpr std::uint32_t kAlwaysUpdatableModuleRole = 0x30000000;

// Older package versions are offered only where a known bad release has to be replaced.
bool PermittedOlder(std::uint32_t installed, std::uint32_t package)
{
    return (installed == kVersionReplaceableByOlderA && package == kVersionPermittedOlderA) ||
           (installed == kVersionReplaceableByOlderB && package == kVersionPermittedOlderB) ||
           installed == kVersionAlwaysReplaceable;
}

bool Refused(bool unitRow, std::uint32_t installed, std::uint32_t package)
{
    if (unitRow) {
        if (installed == kUnitVersionNeverUpdated || package == kUnitVersionNeverUpdated) {
            return true;
        }
        return installed != 0 && installed >= kUnitVersionsLockedFirst && installed <= kUnitVersionsLockedLast;
    }
    // These releases must never reach a module, whatever the downgrade switch says.
    return installed != 0 && (package == kVersionReplaceableByOlderA || package == kVersionReplaceableByOlderB);
}

}  // namespace

std::optional<AvailabilityDecision> DecideOffer(bool unitRow, std::uint32_t installed, std::uint32_t address,
                                                std::string_view packageVersion, bool downgradeAllowed)
{
    const std::uint32_t package = VersionToInt(packageVersion);
    if (package == 0) {
        return std::nullopt;
    }
    const bool always = !unitRow && (address & kAddressRoleMask) == kAlwaysUpdatableModuleRole;

    bool offer = true;
    if (package <= installed && !always && !downgradeAllowed) {
        offer = PermittedOlder(installed, package);
    }
    const bool refused = Refused(unitRow, installed, package);
    if (refused) {
        offer = false;
    }

    AvailabilityDecision decision;
    decision.offered = offer;
    decision.showsPackage = installed != 0;
    if (refused) {
        decision.cell = AvailabilityCell::Refused;
    } else if (unitRow && installed == kUnitVersionOwnNotice) {
        decision.cell = AvailabilityCell::UnitNotice;
    } else if (installed != 0) {
        decision.cell = offer ? AvailabilityCell::Offered : AvailabilityCell::NotOffered;
    } else {
        decision.cell = AvailabilityCell::Empty;
    }
    return decision;
}

namespace {

void WriteStateCell(MainModel& model, UpdateHost& host, int row, const std::string& text)
{
    model.Cells(row).state = text;
    host.SetUpdateStateText(row, text);
}

void ShowAvailabilityCells(MainModel& model, UpdateHost& host, int row, bool visible)
{
    model.Cells(row).availabilityVisible = visible;
    host.ShowAvailabilityCells(row, visible);
}

}  // namespace

void SetUpdateState(MainModel& model, UpdateHost& host, int row, UpdateState state, std::uint32_t milliseconds)
{
    std::string text;
    switch (state) {
    case UpdateState::Done:
        text = "Ok: " + std::to_string(milliseconds / 1000) + "s";
        break;
    case UpdateState::Offered:
        text = LoadUiString(kTextUpdateOffered);
        model.SetAnyOffered();
        break;
    case UpdateState::NotOffered:
        text = LoadUiString(kTextUpdateNotOffered);
        break;
    }
    WriteStateCell(model, host, row, text);
}

void DecideAvailability(MainModel& model, UpdateHost& host, int row, std::string_view packageVersion)
{
    const ModuleInfo& info = model.displayed.Row(row);
    const auto decision =
        DecideOffer(row == kUnitRow, info.version, info.address, packageVersion, model.downgradeAllowed);
    if (!decision) {
        return;
    }
    const std::string available = decision->showsPackage ? std::string(packageVersion) : std::string();
    model.Cells(row).available = available;
    host.SetAvailableVersion(row, available);
    model.displayed.SetUpdateOffered(row, decision->offered);

    switch (decision->cell) {
    case AvailabilityCell::Refused:
        WriteStateCell(model, host, row, LoadUiString(kTextUpdateNotOffered));
        break;
    case AvailabilityCell::UnitNotice:
        WriteStateCell(model, host, row, LoadUiString(kTextUnitNotice));
        break;
    case AvailabilityCell::Offered:
        SetUpdateState(model, host, row, UpdateState::Offered, 0);
        break;
    case AvailabilityCell::NotOffered:
        SetUpdateState(model, host, row, UpdateState::NotOffered, 0);
        break;
    case AvailabilityCell::Empty:
        WriteStateCell(model, host, row, {});
        break;
    }
}

void ShowAvailability(MainModel& model, UpdateHost& host, bool visible)
{
    const UpdateFile* chosen = model.PackageOfItem(model.SelectedItemData());
    // A copy: deciding must not depend on the list staying as it is.
    const std::optional<UpdateFile> package = chosen ? std::optional<UpdateFile>(*chosen) : std::nullopt;

    const int rows[] = {kUnitRow, 0, 1, 2, 3};
    for (const int row : rows) {
        const std::uint32_t type = model.displayed.Row(row).type;
        if (type == 0) {
            ShowAvailabilityCells(model, host, row, false);
            continue;
        }
        if (visible && package) {
            DecideAvailability(model, host, row, package->GetVersion(static_cast<int>(type)));
        }
        ShowAvailabilityCells(model, host, row, visible);
    }
    model.infoEnabled = visible;
    host.EnableInfoButton(visible);
}

}  // namespace quorfw
