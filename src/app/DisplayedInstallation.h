#pragma once

#include <array>
#include <cstdint>

#include "app/GridRows.h"
#include "bus/BusSession.h"
#include "bus/ModuleInfo.h"

namespace quorfw {

// The copy of the last scanned installation that the window shows; it outlives the
// session it was copied from. In these copies the byte after the serial number
// (`reserved`) is the row's offered mark: the update run programs the rows marked.
struct DisplayedInstallation {
    ModuleInfo unit;
    std::array<std::uint8_t, BusSession::kUnitInformationBytes> unitInformation{};
    std::array<std::uint8_t, BusSession::kUnitExtraBytes> unitExtraBlock{};
    std::array<ModuleInfo, kModuleRowCount> modules{};
    std::int32_t moduleCount = 0;

    void Clear() { *this = DisplayedInstallation{}; }

    // A module row 0-7 or kUnitRow.
    [[nodiscard]] ModuleInfo& Row(int row) { return row == kUnitRow ? unit : modules.at(static_cast<std::size_t>(row)); }
    [[nodiscard]] const ModuleInfo& Row(int row) const
    {
        return row == kUnitRow ? unit : modules.at(static_cast<std::size_t>(row));
    }

    [[nodiscard]] bool UpdateOffered(int row) const { return Row(row).reserved != 0; }
    void SetUpdateOffered(int row, bool offered) { Row(row).reserved = offered ? 1 : 0; }

    // The unit as the scan found it: identity, blocks, and its offered mark cleared.
    void CopyUnitFrom(const BusSession& session);
    // The unit, the module count and every module slot below it (marks cleared).
    void CopyInstallationFrom(const BusSession& session);
};

}  // namespace quorfw
