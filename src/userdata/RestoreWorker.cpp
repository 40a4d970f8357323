#include "userdata/RestoreWorker.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/MainModel.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/Broadcasts.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/CouplingCode.h"
#include "bus/DataBlockCommands.h"
#include "bus/ModuleIdentity.h"
#include "bus/TemplateCommands.h"
#include "common/LittleEndian.h"
#include "userdata/BackupFile.h"
#include "userdata/RecordFormat.h"
#include "userdata/TemplateSlots.h"
#include "userdata/UnitConnection.h"
#include "userdata/UnitDataBlocks.h"
#include "userdata/UserDataSet.h"

namespace quorfw {

namespace {

// A batch of user records goes out once it holds more than this many bytes.
constexpr std::size_t kUserBatchBytes = 300;
// After the modules restart: five pauses, a progress step after each.
constexpr std::uint32_t kRestartPauses = 5;
constexpr std::uint32_t kRestartPauseMs = 2000;
constexpr std::uint32_t kResyncPauseMs = 1000;
constexpr std::size_t kTemplatePartBytes = 600;

constexpr std::uint32_t kMaskGroupBits = 0x7;

// The selector a template of a user of this file goes out under.
std::uint32_t RestoreSelector(const USERDATAWITHFINGER& user, std::uint8_t fileFormat, unsigned slot)
{
    if (fileFormat == kBackupFormatNewer) {
        return *TemplateSelector(user.recordNew.userNumber, slot);
    }
    return (std::uint32_t{user.record.userNumber} << 8) | (slot << 4);
}

class RestoreRun {
public:
    RestoreRun(MainModel& model, UpdateHost& host, BusSession& session) : ctx_(model, host, session) {}

    void Run();

private:
    enum class FileRead { Read, Failed, EndSilently };

    [[nodiscard]] FileRead ReadFile();
    void CountAndCleanUp();
    [[nodiscard]] bool WriteBlocks();
    [[nodiscard]] bool WriteUserRecords();
    [[nodiscard]] bool SendUserBatch(std::vector<USERDATARECORD>& older, std::vector<USERDATARECORDNEW>& newer);
    void RestartModules();
    [[nodiscard]] bool WriteTemplates();
    [[nodiscard]] bool WriteOneTemplate(std::uint32_t selector, const TemplateBuffer& buffer);
    void Progress(std::uint32_t percent);
    void End(bool succeeded, bool showOutcome);

    ScanUpdateContext ctx_;
    bool unitNewFormat_ = false;
    std::uint8_t fileFormat_ = 0;
};

void RestoreRun::Run()
{
    MainModel& model = ctx_.model;
    UserDataSet& set = model.userData;
    BusSession& session = ctx_.session;
    model.userDataOutcome = UserDataOutcome{};
    set.counters = RestoreCounters{};
    set.EmptyUserList();

    const bool connected = ConnectToUnit(ctx_, [this] { Progress(5); }, [this] { Progress(10); });
    if (!connected) {
        End(false, true);
        return;
    }
    unitNewFormat_ = UsesNewRecordFormat(ReadLe32(&session.unitInformation[kUnitInfoVersionOffset]));
    const FileRead read = ReadFile();
    if (read == FileRead::EndSilently) {
        End(false, false);
        return;
    }
    CountAndCleanUp();
    const bool ok = read == FileRead::Read && WriteBlocks() && WriteUserRecords() && WriteTemplates();
    End(ok, true);
}

RestoreRun::FileRead RestoreRun::ReadFile()
{
    MainModel& model = ctx_.model;
    const BackupReadResult result = ReadBackupFile(model.userDataPath, unitNewFormat_, model.userData);
    fileFormat_ = result.formatByte;
    switch (result.outcome) {
    case BackupReadOutcome::Read:
        return FileRead::Read;
    case BackupReadOutcome::CannotOpen:
        ctx_.host.ShowMessage(kMessageOwnText, "Internal Error: Error opening file '" + model.userDataPath + "' (rb)");
        return FileRead::EndSilently;
    case BackupReadOutcome::NewerFileForOlderUnit:
        return FileRead::EndSilently;
    case BackupReadOutcome::FormatError:
        break;
    }
    ctx_.Message(kTextBackupFileUnreadable);
    return FileRead::Failed;
}

void RestoreRun::CountAndCleanUp()
{
    UserDataSet& set = ctx_.model.userData;
    const unsigned slots = TemplateSlotCount(fileFormat_);
    for (USERDATAWITHFINGER& user : set.users) {
        ++set.counters.users;
        USERDATAWITHFINGER cleaned = user;
        unsigned present0to9 = 0;
        for (unsigned slot = 0; slot < slots; ++slot) {
            if (!user.templates[slot].empty()) {
                if (slot < 10) {
                    ++set.counters.templates0to9;
                    ++present0to9;
                } else if (slot < 15) {
                    ++set.counters.templates10to14;
                } else {
                    ++set.counters.templates15to19;
                }
            } else if (slot < USERDATARECORD::kMaskSlots) {
                // The unit must not announce a finger whose template is not coming.
                const std::uint32_t group = kMaskGroupBits << (3 * slot);
                cleaned.recordNew.templateMask &= ~group;
                if (fileFormat_ == kBackupFormatOlder) {
                    cleaned.record.templateMask &= ~group;
                }
            }
        }
        const std::uint32_t mask =
            fileFormat_ == kBackupFormatNewer ? user.recordNew.templateMask : user.record.templateMask;
        unsigned announced0to9 = 0;
        for (unsigned slot = 0; slot < USERDATARECORD::kMaskSlots; ++slot) {
            announced0to9 += MaskHasSlot(mask, slot) ? 1 : 0;
        }
        if (announced0to9 != present0to9) {
            user = std::move(cleaned);
        }
    }
}

bool RestoreRun::WriteBlocks()
{
    BusSession& session = ctx_.session;
    const UserDataSet& set = ctx_.model.userData;
    Progress(15);
    if (!WriteDataBlock(session, UnitBlock1.writeSelector, set.unitBlock1)) {
        return false;
    }
    Progress(20);
    const std::span<const std::uint8_t> block2 =
        unitNewFormat_ ? std::span<const std::uint8_t>(set.unitBlock2Long) : std::span<const std::uint8_t>(set.unitBlock2Short);
    if (!WriteDataBlock(session, UnitBlock2.writeSelector, block2)) {
        return false;
    }
    Progress(23);
    if (!WriteDataBlock(session, UnitBlock3.writeSelector, set.unitBlock3)) {
        return false;
    }
    Progress(27);
    if (!WriteDataBlock(session, UnitBlock4.writeSelector, set.unitBlock4)) {
        return false;
    }
    Progress(30);
    if (fileFormat_ != kBackupFormatNewer) {
        return true;
    }
    if (!WriteDataBlock(session, UnitBlock9.writeSelector, set.unitBlock9)) {
        return false;
    }
    Progress(30);
    if (!WritePageArea(session, set.unitBlock10)) {
        return false;
    }
    Progress(30);
    return true;
}

bool RestoreRun::SendUserBatch(std::vector<USERDATARECORD>& older, std::vector<USERDATARECORDNEW>& newer)
{
    const bool sent = unitNewFormat_ ? WriteUsers(ctx_.session, newer) : WriteUsers(ctx_.session, older);
    older.clear();
    newer.clear();
    return sent;
}

bool RestoreRun::WriteUserRecords()
{
    const std::vector<USERDATAWITHFINGER>& users = ctx_.model.userData.users;
    const std::size_t recordBytes = unitNewFormat_ ? USERDATARECORDNEW::kSize : USERDATARECORD::kSize;
    std::vector<USERDATARECORD> older;
    std::vector<USERDATARECORDNEW> newer;
    for (std::size_t i = 0; i < users.size(); ++i) {
        Progress(30 + static_cast<std::uint32_t>(20 * i / users.size()));
        if (unitNewFormat_) {
            newer.push_back(users[i].recordNew);
        } else {
            older.push_back(users[i].record);
        }
        if ((older.size() + newer.size()) * recordBytes > kUserBatchBytes && !SendUserBatch(older, newer)) {
            return false;
        }
    }
    // The last batch goes out even when it is empty: it tells the unit the list is complete.
    return SendUserBatch(older, newer);
}

void RestoreRun::RestartModules()
{
    BusSession& session = ctx_.session;
    RestartAllModules(session);
    for (std::uint32_t pause = 1; pause <= kRestartPauses; ++pause) {
        session.clock().SleepMs(kRestartPauseMs);
        Progress(50 + pause);
    }
    // Whatever these find, the templates go to the modules the unit listed.
    (void)ScanBus(session);
    session.clock().SleepMs(kResyncPauseMs);
    (void)session.AnnounceLinkKey(BusSession::kAnnounceAll);
    session.clock().SleepMs(kResyncPauseMs);
    BroadcastCommand35(session);
    (void)WriteCouplingCode(session);
}

bool RestoreRun::WriteOneTemplate(std::uint32_t selector, const TemplateBuffer& buffer)
{
    // The length in the buffer's head says how much of it is the template.
    const std::span<const std::uint8_t> data = TemplateData(buffer);
    const std::size_t total = TemplateBufferLength(buffer);
    const std::size_t length = std::min(data.size(), total > kTemplateBufferHeadSize ? total - kTemplateBufferHeadSize : 0);
    for (std::size_t offset = 0, part = 0; offset < length; offset += kTemplatePartBytes, ++part) {
        const std::size_t size = std::min(kTemplatePartBytes, length - offset);
        if (!WriteTemplate(ctx_.session, selector, static_cast<std::uint32_t>(part), data.subspan(offset, size))) {
            return false;
        }
    }
    return true;
}

bool RestoreRun::WriteTemplates()
{
    std::vector<USERDATAWITHFINGER>& users = ctx_.model.userData.users;
    RestartModules();
    const unsigned slots = TemplateSlotCount(fileFormat_);
    for (std::size_t i = 0; i < users.size(); ++i) {
        Progress(55 + static_cast<std::uint32_t>(i * 45 / users.size()));
        for (unsigned slot = 0; slot < slots; ++slot) {
            TemplateBuffer& buffer = users[i].templates[slot];
            if (buffer.empty()) {
                continue;
            }
            if (!WriteOneTemplate(RestoreSelector(users[i], fileFormat_, slot), buffer)) {
                return false;
            }
            TemplateBuffer{}.swap(buffer);
        }
    }
    ctx_.model.userData.EmptyUserList();
    return true;
}

void RestoreRun::Progress(std::uint32_t percent)
{
    ctx_.host.SetProgress(percent);
}

void RestoreRun::End(bool succeeded, bool showOutcome)
{
    MainModel& model = ctx_.model;
    const RestoreCounters& counters = model.userData.counters;
    if (showOutcome && succeeded) {
        ctx_.host.ShowMessage(kTextRestoreDone, FormatUiString(kTextRestoreDone, counters.users, counters.templates0to9,
                                                               counters.templates10to14, counters.templates15to19));
        model.userDataOutcome.message = kTextRestoreDone;
    } else if (showOutcome) {
        ctx_.Message(kTextRestoreFailed);
        model.userDataOutcome.message = kTextRestoreFailed;
    }
    model.userData.EmptyUserList();
    ctx_.host.SetProgress(0);
    model.lastOperationSucceeded = succeeded;
    model.EndOperation();  // closes the converter; the session is gone from here on
    ctx_.host.OperationEnded(succeeded);
}

}  // namespace

void RestoreWorker(MainModel& model, UpdateHost& host, BusSession& session)
{
    RestoreRun(model, host, session).Run();
}

}  // namespace quorfw
