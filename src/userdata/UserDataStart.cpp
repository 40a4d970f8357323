#include "userdata/UserDataStart.h"

#include "app/OperationStart.h"
#include "app/UpdateHost.h"
#include "userdata/BackupWorker.h"
#include "userdata/RestoreWorker.h"

namespace quorfw {

namespace {

using WorkerProcedure = void (*)(MainModel&, UpdateHost&, BusSession&);

MainModel::StartResult Start(MainModel& model, UpdateHost& host, const std::string& path, bool exportFlag,
                             WorkerProcedure procedure)
{
    model.userDataPath = path;
    ResetDisplay(model, host);
    return model.StartOperation(exportFlag, MainModel::kOwnAddress,
                                [&host, procedure](MainModel& m, BusSession& session) { procedure(m, host, session); });
}

}  // namespace

MainModel::StartResult StartBackup(MainModel& model, UpdateHost& host, const std::string& path)
{
    return Start(model, host, path, false, BackupWorker);
}

MainModel::StartResult StartExport(MainModel& model, UpdateHost& host, const std::string& path)
{
    return Start(model, host, path, true, BackupWorker);
}

MainModel::StartResult StartRestore(MainModel& model, UpdateHost& host, const std::string& path)
{
    return Start(model, host, path, false, RestoreWorker);
}

}  // namespace quorfw
