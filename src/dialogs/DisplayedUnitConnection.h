#pragma once

namespace quorfw {

class BusSession;
class ScanUpdateContext;
struct DisplayedInstallation;

// The first step of the operations that work on the unit the last scan showed (Wiegand
// write, device firmware): listens up to 3000 ms for the unit calling for the tool and,
// when the bus stays silent, runs the roll call; logs each step. True when the unit
// answered or the roll call heard the installation.
[[nodiscard]] bool ConnectToDisplayedUnit(ScanUpdateContext& ctx);

// The displayed unit into the session: its identity (presence, address, type, version,
// serial number, marks) and its information and extra blocks.
void CopyDisplayedUnit(const DisplayedInstallation& displayed, BusSession& session);

}  // namespace quorfw
