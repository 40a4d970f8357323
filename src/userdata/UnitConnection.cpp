#include "userdata/UnitConnection.h"

#include "app/GridRows.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/ModuleIdentity.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kWaitForUnitMs = 3000;
constexpr std::uint32_t kAfterDiscoveryPauseMs = 50;

bool FindUnit(ScanUpdateContext& context)
{
    BusSession& session = context.session;
    const std::uint32_t result = WaitForUnit(session, kWaitForUnitMs);
    if (result == kUnitAnswered) {
        return true;
    }
    if (result != kBusSilent) {
        return false;
    }
    context.Log(kTextNoUnitAnswer);
    if (ScanBus(session)) {
        context.Log(kTextScanFoundStation);
        return true;
    }
    context.Log(kTextScanFoundNothing);
    return false;
}

}  // namespace

bool ConnectToUnit(ScanUpdateContext& context, const std::function<void()>& beforeInformation,
                   const std::function<void()>& afterInformation)
{
    BusSession& session = context.session;
    context.Log(kTextScanStart);
    const bool found = FindUnit(context);
    session.clock().SleepMs(kAfterDiscoveryPauseMs);
    if (!found || !session.AnnounceLinkKey(BusSession::kAnnounceAll)) {
        return false;
    }
    if (session.unit.present != 0) {
        if (!Identify(session, kIdentifyUnit)) {
            return false;
        }
        context.ShowRow(kUnitRow, true);
    }
    if (beforeInformation) {
        beforeInformation();
    }
    if (!ReadModuleInfo(session, kUnitInformationSlot)) {
        return false;
    }
    if (afterInformation) {
        afterInformation();
    }
    return true;
}

}  // namespace quorfw
