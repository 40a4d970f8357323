#include "app/DisplayedInstallation.h"

#include <algorithm>

namespace quorfw {

void DisplayedInstallation::CopyUnitFrom(const BusSession& session)
{
    unit.present = session.unit.present;
    unit.serial = session.unit.serial;
    unit.type = session.unit.type;
    unit.version = session.unit.version;
    unit.address = session.unit.address;
    unit.reserved = 0;
    unit.recognised = session.unit.recognised;
    unitInformation = session.unitInformation;
    unitExtraBlock = session.unitExtraBlock;
}

void DisplayedInstallation::CopyInstallationFrom(const BusSession& session)
{
    CopyUnitFrom(session);
    moduleCount = session.moduleCount;
    // The count can come from a station's own block; never copy past the four slots.
    const std::int32_t slots = std::clamp<std::int32_t>(session.moduleCount, 0, BusSession::kModuleSlots);
    for (std::int32_t i = 0; i < slots; ++i) {
        modules[static_cast<std::size_t>(i)] = session.modules[static_cast<std::size_t>(i)];
        modules[static_cast<std::size_t>(i)].reserved = 0;
    }
}

}  // namespace quorfw
