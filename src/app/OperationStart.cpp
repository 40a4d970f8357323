#include "app/OperationStart.h"

#include "app/GridRows.h"
#include "app/PackageAvailability.h"
#include "app/ScanUpdateWorker.h"
#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "app/UpdateHost.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kUnitTypeWithModules = 3;

MainModel::Worker ScanUpdateWorkerFor(UpdateHost& host)
{
    return [&host](MainModel& model, BusSession& session) { ScanUpdateWorker(model, host, session); };
}

bool ConverterSelected(const MainModel& model)
{
    return model.converterIndex >= 0 && model.converterIndex < static_cast<int>(model.converters.size());
}

}  // namespace

void ResetDisplay(MainModel& model, UpdateHost& host)
{
    model.infoEnabled = false;
    model.packageDescription.clear();
    model.Cells(kUnitRow).identityVisible = false;
    for (int row = 0; row < kScannedModuleRows; ++row) {
        model.Cells(row).identityVisible = false;
    }
    host.ResetDisplay();
}

MainModel::StartResult StartScan(MainModel& model, UpdateHost& host)
{
    ResetDisplay(model, host);
    if (!ConverterSelected(model)) {
        return MainModel::StartResult::NoConverter;
    }
    return model.StartOperation(false, MainModel::kOwnAddress, ScanUpdateWorkerFor(host),
                                [&] { ShowAvailability(model, host, false); });
}

MainModel::StartResult StartUpdate(MainModel& model, UpdateHost& host)
{
    ResetDisplay(model, host);
    model.RequestStop();
    if (model.displayed.unit.type == kUnitTypeWithModules &&
        !host.Confirm(kTextUpdateConfirm, LoadUiString(kTextUpdateConfirm))) {
        return MainModel::StartResult::Cancelled;
    }
    if (!ConverterSelected(model)) {
        return MainModel::StartResult::NoConverter;
    }
    return model.StartOperation(true, MainModel::kOwnAddress, ScanUpdateWorkerFor(host));
}

}  // namespace quorfw
