#pragma once

namespace quorfw {

class BusSession;
class MainModel;
class UpdateHost;

// The scan-and-update operation, run on the worker thread the model starts: finds the
// unit and the modules, lists the packages that fit them all, shows the installation and
// marks each row the chosen package may update; in update mode (the model's operation
// mode) it then programs the marked rows of the same installation. Ends the operation
// itself (MainModel::EndOperation); the session is gone when it returns.
void ScanUpdateWorker(MainModel& model, UpdateHost& host, BusSession& session);

}  // namespace quorfw
