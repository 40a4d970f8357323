#include "app/PackageSelector.h"

#include <algorithm>
#include <cstdint>

#include "app/MainModel.h"
#include "app/UpdateHost.h"
#include "bus/BusSession.h"

namespace quorfw {

namespace {

// The slots the session's module count covers, never more than it holds.
std::size_t CountedSlots(const BusSession& session)
{
    return static_cast<std::size_t>(std::clamp<std::int32_t>(session.moduleCount, 0, BusSession::kModuleSlots));
}

bool PackageFits(const UpdateFile& package, const BusSession& session, int needed)
{
    int count = 0;
    for (std::size_t i = 0; i < CountedSlots(session); ++i) {
        const ModuleInfo& slot = session.modules[i];
        if (slot.present == 0) {
            continue;
        }
        if (!package.AppliesToSerial(slot.serial)) {
            break;
        }
        ++count;
    }
    if (session.unit.present != 0 && package.AppliesToSerial(session.unit.serial)) {
        ++count;
    }
    return count == needed;
}

}  // namespace

bool FillPackageSelector(MainModel& model, UpdateHost& host, const BusSession& session)
{
    int needed = session.unit.present != 0 ? 1 : 0;
    for (std::size_t i = 0; i < CountedSlots(session); ++i) {
        needed += session.modules[i].present != 0 ? 1 : 0;
    }

    model.selector.clear();
    model.selectorIndex = -1;
    for (std::size_t k = 0; k < model.packages.size(); ++k) {
        const UpdateFile& package = model.packages[k];
        if (PackageFits(package, session, needed)) {
            model.selector.push_back(SelectorEntry{package.GetName(), static_cast<int>(k)});
        }
    }
    host.SetPackageSelector(model.selector);
    return !model.selector.empty();
}

bool SameInstallation(const MainModel& model, const BusSession& session)
{
    const std::uint32_t unitAddress = session.unit.present != 0 ? session.unit.address : 0;
    if (model.displayed.unit.address != unitAddress) {
        return false;
    }
    for (int row = 0; row < kScannedModuleRows; ++row) {
        const ModuleInfo& shown = model.displayed.Row(row);
        if (shown.present == 0) {
            continue;
        }
        const bool found = std::any_of(session.modules.begin(), session.modules.end(), [&](const ModuleInfo& slot) {
            return slot.present != 0 && slot.address == shown.address;
        });
        if (!found) {
            return false;
        }
    }
    return true;
}

}  // namespace quorfw
