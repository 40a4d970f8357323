#include "dialogs/WiegandCommand.h"

#include "dialogs/WiegandSettings.h"
#include "dialogs/WiegandWorker.h"

namespace quorfw {

bool CanEditWiegand(const MainModel& model)
{
    return !model.Busy() && model.displayed.unit.type == kWiegandUnitType;
}

MainModel::StartResult StartWiegand(MainModel& model, UpdateHost& host, const WiegandSettings& settings)
{
    StoreWiegandSettings(settings, model.displayed);
    return model.StartOperation(true, MainModel::kWiegandOwnAddress,
                                [&host](MainModel& m, BusSession& session) { WiegandWorker(m, host, session); });
}

}  // namespace quorfw
