#pragma once

namespace quorfw {

class ScanUpdateContext;
class UpdateFile;

// The update half of the scan-and-update operation, after a scan that found the
// installation the user saw: programs the unit and then every marked module in slot
// order, reports the steps, logs and reports each programmed station, waits for the
// programmed stations to come back and checks what they report. `working` is the chosen
// package as loaded for display; it is loaded again in full here. True when no step failed.
[[nodiscard]] bool RunUpdate(ScanUpdateContext& ctx, UpdateFile& working);

}  // namespace quorfw
