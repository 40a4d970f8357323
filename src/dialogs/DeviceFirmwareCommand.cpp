#include "dialogs/DeviceFirmwareCommand.h"

#include "dialogs/DeviceFirmwareWorker.h"
#include "packages/UpdateFile.h"

namespace quorfw {

bool CanProgramDeviceFirmware(const MainModel& model)
{
    return !model.Busy() && IsDeviceFirmwareSerial(model.displayed.modules[kDeviceFirmwareSlot].serial);
}

MainModel::StartResult StartDeviceFirmware(MainModel& model, UpdateHost& host, const UpdateFile& package)
{
    return model.StartOperation(false, MainModel::kOwnAddress,
                                [&host, package](MainModel& m, BusSession& session) {
                                    DeviceFirmwareWorker(m, host, session, package);
                                });
}

}  // namespace quorfw
