#include "dialogs/DisplayedUnitConnection.h"

#include <cstdint>

#include "app/DisplayedInstallation.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kWaitForUnitMs = 3000;
constexpr std::uint32_t kAfterConnectPauseMs = 50;

}  // namespace

bool ConnectToDisplayedUnit(ScanUpdateContext& ctx)
{
    BusSession& session = ctx.session;
    ctx.Log(kTextScanStart);
    std::uint32_t result = WaitForUnit(session, kWaitForUnitMs);
    if (result == kBusSilent) {
        ctx.Log(kTextNoUnitAnswer);
        if (ScanBus(session)) {
            ctx.Log(kTextScanFoundStation);
            result = kUnitAnswered;
        } else {
            ctx.Log(kTextScanFoundNothing);
        }
    }
    session.clock().SleepMs(kAfterConnectPauseMs);
    return result == kUnitAnswered;
}

void CopyDisplayedUnit(const DisplayedInstallation& displayed, BusSession& session)
{
    ModuleInfo& unit = session.unit;
    unit.present = displayed.unit.present;
    unit.address = displayed.unit.address;
    unit.type = displayed.unit.type;
    unit.version = displayed.unit.version;
    unit.serial = displayed.unit.serial;
    unit.reserved = displayed.unit.reserved;
    unit.recognised = displayed.unit.recognised;
    session.unitInformation = displayed.unitInformation;
    session.unitExtraBlock = displayed.unitExtraBlock;
}

}  // namespace quorfw
