#include "dialogs/WiegandWorker.h"

#include <cstdint>

#include "app/MainModel.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/BusSession.h"
#include "bus/UnitConfiguration.h"
#include "dialogs/DisplayedUnitConnection.h"

namespace quorfw {

namespace {

std::uint32_t OutcomeText(int code)
{
    switch (code) {
    case kWiegandWritten:
        return kTextWiegandWritten;
    case kWiegandNotConfirmed:
        return kTextWiegandNotConfirmed;
    default:
        return kTextNothingSentNoUnit;
    }
}

}  // namespace

void WiegandWorker(MainModel& model, UpdateHost& host, BusSession& session)
{
    int code = kWiegandNotConnected;
    {
        ScanUpdateContext ctx(model, host, session);
        const bool connected = ConnectToDisplayedUnit(ctx);
        CopyDisplayedUnit(model.displayed, session);
        if (connected && session.AnnounceLinkKey(BusSession::kAnnounceAll)) {
            code = WriteUnitConfiguration(session) ? kWiegandWritten : kWiegandNotConfirmed;
        }
    }
    const std::uint32_t text = OutcomeText(code);
    host.ReportOutcome(text, LoadUiString(text), code);
    host.SetProgress(0);
    model.lastOperationSucceeded = code == kWiegandWritten;
    model.EndOperation();  // closes the converter; the session is gone from here on
    host.OperationEnded(code == kWiegandWritten);
}

}  // namespace quorfw
