#pragma once

namespace quorfw {

class BusSession;
class MainModel;
class UpdateHost;

// Results the Wiegand write reports to the host (UpdateHost::ReportOutcome).
inline constexpr int kWiegandWritten = 0;
// The unit was reached, but did not answer the write with 0x81.
inline constexpr int kWiegandNotConfirmed = 1;
// The unit was not found, or did not take the link key: nothing was written.
inline constexpr int kWiegandNotConnected = 2;

// Writes the Wiegand settings that the displayed unit's blocks hold (StoreWiegandSettings)
// to the unit, on the worker thread the model starts: connects, copies the displayed unit
// into the session, announces the link key and sends the unit configuration. Reports how
// it ended and ends the operation itself (MainModel::EndOperation); the operation counts
// as succeeded when the unit confirmed the write.
void WiegandWorker(MainModel& model, UpdateHost& host, BusSession& session);

}  // namespace quorfw
