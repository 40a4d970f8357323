#include "app/ScanUpdateContext.h"

#include "app/GridRows.h"
#include "app/MainModel.h"
#include "bus/BusSession.h"
#include "packages/VersionNumber.h"

namespace quorfw {

namespace {

// Byte of a module's information block whose bit 3 says the module has a name to show.
constexpr std::size_t kNameFlagsOffset = 265;
constexpr std::uint8_t kHasNameBit = 0x08;

}  // namespace

ScanUpdateContext::ScanUpdateContext(MainModel& model, UpdateHost& host, BusSession& session)
    : model(model)
    , host(host)
    , session(session)
    , log_(model.packageFolder, session.clock())
    , report_(model.packageFolder, model.userName)
{
}

void ScanUpdateContext::LogText(std::uint32_t id, const std::string& text)
{
    // A log that cannot be written must not stop an update; the host still hears of it.
    (void)log_.AppendUpdateLog(text);
    host.Logged(id, text);
}

void ScanUpdateContext::Report(const std::string& serialNumber, const std::string& versionText)
{
    (void)report_.AppendReportLine(serialNumber, versionText);
}

void ScanUpdateContext::Message(std::uint32_t id)
{
    host.ShowMessage(id, LoadUiString(id));
}

void ScanUpdateContext::ShowRow(int row, bool visible)
{
    RowCells& cells = model.Cells(row);
    if (visible) {
        if (row == kUnitRow) {
            cells.identity.serial = session.unit.serial;
            cells.identity.version = VersionText(session.unit.version);
            cells.identity.hasName = false;
            cells.address = session.unit.address;
            cells.type = session.unit.type;
        } else if (row >= 0 && row < static_cast<int>(BusSession::kModuleSlots)) {
            const ModuleInfo& slot = session.modules[static_cast<std::size_t>(row)];
            cells.identity.serial = slot.serial;
            cells.identity.version = VersionText(slot.version);
            cells.address = slot.address;
            cells.type = slot.type;
            if ((slot.information[kNameFlagsOffset] & kHasNameBit) != 0) {
                cells.identity.hasName = true;
                cells.identity.name = slot.moduleName;
            }
        }
    }
    cells.identityVisible = visible;
    host.ShowRow(row, cells.identity, visible);
}

}  // namespace quorfw
