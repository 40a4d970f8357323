#pragma once

namespace quorfw {

class ScanUpdateContext;
class UpdateFile;

// The update half of the scan-and-update operation, after a scan that found the
// installation the user saw: programs the unit and then every marked module in slot
// order, reports the steps, logs each programmed station, waits for the programmed
// stations to come back, checks what they report, and writes a report line for each one
// that came back with the programmed version. `working` is the chosen package as loaded
// for display; it is loaded again in full here. True when no step failed.
[[nodiscard]] bool RunUpdate(ScanUpdateContext& ctx, UpdateFile& working);

}  // namespace quorfw
