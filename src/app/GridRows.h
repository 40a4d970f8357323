#pragma once

namespace quorfw {

// The grid of the main window: one row for the control unit and eight module rows, of
// which a scan fills at most the first four.
inline constexpr int kModuleRowCount = 8;
inline constexpr int kScannedModuleRows = 4;
inline constexpr int kUnitRow = -1;

[[nodiscard]] constexpr bool IsModuleRow(int row)
{
    return row >= 0 && row < kModuleRowCount;
}

}  // namespace quorfw
