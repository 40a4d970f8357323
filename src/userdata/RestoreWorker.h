#pragma once

namespace quorfw {

class BusSession;
class MainModel;
class UpdateHost;

// The restore operation, run on the worker thread the model starts: reads the backup file
// (model.userDataPath) into the model's user-data set, writes the unit data blocks and the
// users into the unit, restarts and couples the modules again, sends every template to
// the modules that take it, and reports the four restore counters. Ends the operation
// itself.
void RestoreWorker(MainModel& model, UpdateHost& host, BusSession& session);

}  // namespace quorfw
