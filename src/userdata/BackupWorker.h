#pragma once

namespace quorfw {

class BusSession;
class MainModel;
class UpdateHost;

// The backup and export operation, run on the worker thread the model starts. Backup (the
// model's operation mode false): reads the unit's users, their templates from the modules
// and the unit data blocks into the model's user-data set, writes the backup file
// (model.userDataPath), reads it back and compares it. Export (mode true): reads the
// access log and writes it as a CSV file. Ends the operation itself.
void BackupWorker(MainModel& model, UpdateHost& host, BusSession& session);

}  // namespace quorfw
