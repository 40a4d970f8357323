#include "userdata/BackupWorker.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/GridRows.h"
#include "app/MainModel.h"
#include "app/ScanUpdateContext.h"
#include "app/UiStringIds.h"
#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/DataBlockCommands.h"
#include "bus/FrameCodec.h"
#include "bus/ModuleIdentity.h"
#include "bus/TemplateCommands.h"
#include "common/LittleEndian.h"
#include "userdata/BackupComparison.h"
#include "userdata/BackupFile.h"
#include "userdata/LogCsv.h"
#include "userdata/RecordFormat.h"
#include "userdata/TemplateSlots.h"
#include "userdata/UnitConnection.h"
#include "userdata/UnitDataBlocks.h"
#include "userdata/UserDataSet.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kUnitTypeWithModules = 3;
// Command 35 to module slot 0 before the users are read.
constexpr std::uint16_t kCmd35Length = 28;
constexpr std::uint8_t kCmd35FrameFlags = 0x80;
constexpr std::uint8_t kCmd35Kind = 0x80;
constexpr std::uint32_t kCmd35DelayMs = 50;

std::size_t CountedSlots(const BusSession& session)
{
    return static_cast<std::size_t>(std::clamp<std::int32_t>(session.moduleCount, 0, BusSession::kModuleSlots));
}

std::array<std::uint32_t, BusSession::kModuleSlots> ModuleAddresses(const BusSession& session)
{
    std::array<std::uint32_t, BusSession::kModuleSlots> addresses{};
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        addresses[i] = session.modules[i].address;
    }
    return addresses;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path)
{
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) {
            return std::nullopt;
        }
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class BackupRun {
public:
    BackupRun(MainModel& model, UpdateHost& host, BusSession& session) : ctx_(model, host, session) {}

    void Run();

private:
    void Export(bool connected);
    [[nodiscard]] bool Backup();
    void ReadModules();
    void SendCommand35();
    [[nodiscard]] bool ReadUsers();
    void ReadTemplates(USERDATAWITHFINGER& entry, bool newFormat, std::uint8_t userNumber);
    [[nodiscard]] bool ReadBlocks();
    [[nodiscard]] bool WriteAndVerify();
    void Progress(std::uint32_t percent);
    void End(bool succeeded);

    ScanUpdateContext ctx_;
    bool newFormat_ = false;
};

void BackupRun::Run()
{
    MainModel& model = ctx_.model;
    model.userDataOutcome = UserDataOutcome{};
    const bool connected = ConnectToUnit(ctx_);
    newFormat_ = UsesNewRecordFormat(ctx_.session.unit.version);
    if (model.operationMode) {
        Export(connected);
        return;
    }
    if (!connected) {
        ctx_.Message(kTextBackupFailed);
        model.userDataOutcome.message = kTextBackupFailed;
        End(false);
        return;
    }
    End(Backup());
}

void BackupRun::Export(bool connected)
{
    (void)connected;  // the log is asked for whatever connecting found
    MainModel& model = ctx_.model;
    BusSession& session = ctx_.session;
    // A log that cannot be read, or an empty one, ends the export without a file.
    if (!ReadLogList(session) || session.logRecords.empty()) {
        End(false);
        return;
    }
    UserDataSet& set = model.userData;
    set.logRecords = session.logRecords;
    if (const FileWriteResult written = WriteLogCsv(model.userDataPath, set.logRecords); !written) {
        ctx_.LogText(kTextLogCsvNotCreated, LoadUiString(kTextLogCsvNotCreated) + " " + written.failure + "\n");
        ctx_.Message(kTextLogCsvNotCreated);
        model.userDataOutcome.message = kTextLogCsvNotCreated;
        End(false);
        return;
    }
    model.userDataOutcome.records = static_cast<std::uint32_t>(set.logRecords.size());
    End(true);
}

bool BackupRun::Backup()
{
    BusSession& session = ctx_.session;
    MainModel& model = ctx_.model;
    if (session.unit.type == kUnitTypeWithModules) {
        (void)session.AnnounceLinkKey(BusSession::kAnnounceAll);
    }
    ReadModules();
    SendCommand35();
    if (!ReadUsers() || !ReadBlocks()) {
        ctx_.Message(kTextBackupFailed);
        model.userDataOutcome.message = kTextBackupFailed;
        return false;
    }
    Progress(99);
    if (!WriteAndVerify()) {
        return false;
    }
    ctx_.Message(kTextBackupSaved);
    model.userDataOutcome.message = kTextBackupSaved;
    return true;
}

void BackupRun::ReadModules()
{
    BusSession& session = ctx_.session;
    for (std::size_t i = 0; i < CountedSlots(session); ++i) {
        if (ReadModuleInfo(session, static_cast<std::uint8_t>(i))) {
            const int row = static_cast<int>(i);
            ctx_.ShowRow(row, true);
            ctx_.model.displayed.Row(row).type = session.modules[i].type;
        } else {
            session.modules[i].present = 0;
        }
    }
}

void BackupRun::SendCommand35()
{
    BusSession& session = ctx_.session;
    BusMessage request;
    FillRequest(session.link, request, kCmd35Length, session.link.ownAddress, session.modules[0].address, kCmd35,
                kCmd35Operand, 0, kCmd35FrameFlags, kCmd35Kind);
    request.Data()[0] = 0;
    // What the module does with it is its own affair; the answer is not looked at.
    (void)session.TransactTimed(request, 0, kCmd35DelayMs);
}

bool BackupRun::ReadUsers()
{
    BusSession& session = ctx_.session;
    UserDataSet& set = ctx_.model.userData;
    Progress(10);
    const bool read = ReadUserList(session);
    Progress(50);
    if (!read) {
        return false;
    }
    const std::size_t count = newFormat_ ? session.newUserRecords.size() : session.userRecords.size();
    for (std::size_t i = 0; i < count; ++i) {
        Progress(50 + static_cast<std::uint32_t>(i * 40 / count));
        USERDATAWITHFINGER entry;
        std::uint8_t userNumber = 0;
        if (newFormat_) {
            entry.recordNew = session.newUserRecords[i];
            userNumber = entry.recordNew.userNumber;
        } else {
            entry.record = session.userRecords[i];
            userNumber = entry.record.userNumber;
        }
        ReadTemplates(entry, newFormat_, userNumber);
        set.users.push_back(std::move(entry));
    }
    return true;
}

void BackupRun::ReadTemplates(USERDATAWITHFINGER& entry, bool newFormat, std::uint8_t userNumber)
{
    BusSession& session = ctx_.session;
    const unsigned slots = newFormat ? kTemplateSlots : kOlderFormatTemplateSlots;
    const auto addresses = ModuleAddresses(session);
    for (unsigned slot = 0; slot < slots; ++slot) {
        const bool announced =
            newFormat ? entry.recordNew.HasTemplateInSlot(slot) : entry.record.HasTemplateInSlot(slot);
        if (!announced) {
            continue;
        }
        // A slot no module holds, or a read that fails, stays empty; the backup goes on.
        const std::optional<unsigned> holder = TemplateHolderSlot(slot, newFormat, addresses);
        const std::optional<std::uint32_t> selector = newFormat
                                                          ? TemplateSelector(userNumber, slot)
                                                          : std::optional<std::uint32_t>((std::uint32_t{userNumber} << 8) |
                                                                                         (slot << 4));
        if (!holder || !selector || !ReadTemplate(session, static_cast<std::uint8_t>(*holder), *selector)) {
            continue;
        }
        if (auto buffer = MakeTemplateBuffer(
                slot, std::span<const std::uint8_t>(session.templateBuffer).first(session.templateLength))) {
            entry.templates[slot] = std::move(*buffer);
        }
    }
}

bool BackupRun::ReadBlocks()
{
    BusSession& session = ctx_.session;
    UserDataSet& set = ctx_.model.userData;
    Progress(90);
    if (!ReadDataBlock(session, UnitBlock1.readSelector)) {
        return false;
    }
    std::copy(session.block104.begin(), session.block104.end(), set.unitBlock1.begin());
    Progress(92);
    if (!ReadDataBlock(session, UnitBlock2.readSelector)) {
        return false;
    }
    if (newFormat_) {
        std::copy_n(session.block17or33.begin(), kUnitBlock2LongSize, set.unitBlock2Long.begin());
    } else {
        std::copy_n(session.block17or33.begin(), kUnitBlock2ShortSize, set.unitBlock2Short.begin());
    }
    Progress(94);
    if (!ReadDataBlock(session, UnitBlock3.readSelector)) {
        return false;
    }
    std::copy(session.block40.begin(), session.block40.end(), set.unitBlock3.begin());
    // Blocks a unit of another type does not have go into the file as zeros, never as
    // whatever an earlier operation left in the set.
    set.ZeroUnitType3Blocks();
    if (session.unit.type != kUnitTypeWithModules) {
        return true;
    }
    Progress(96);
    if (!ReadDataBlock(session, UnitBlock4.readSelector)) {
        return false;
    }
    set.unitBlock4[0] = session.block1;
    if (!newFormat_) {
        return true;
    }
    Progress(98);
    if (!ReadDataBlock(session, UnitBlock9.readSelector)) {
        return false;
    }
    set.unitBlock9 = session.block161;
    Progress(98);
    if (!ReadPageArea(session)) {
        return false;
    }
    set.unitBlock10 = session.pageArea;
    return true;
}

bool BackupRun::WriteAndVerify()
{
    MainModel& model = ctx_.model;
    UserDataSet& set = model.userData;
    const std::uint8_t format = BackupFormatFor(newFormat_);
    if (const FileWriteResult written = WriteBackupFile(model.userDataPath, set, format); !written) {
        ctx_.LogText(kTextBackupFileNotCreated, LoadUiString(kTextBackupFileNotCreated) + " " + written.failure + "\n");
        ctx_.Message(kTextBackupFileNotCreated);
        model.userDataOutcome.message = kTextBackupFileNotCreated;
        return false;
    }
    // A technician must not leave with a file that would not restore what the unit holds.
    // Read back without a trace: "Backup.log" records what a restore read.
    UserDataSet readBack;
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(model.userDataPath);
    std::optional<std::string> difference;
    if (!bytes || ReadBackupBytes(*bytes, newFormat_, readBack, {}).outcome != BackupReadOutcome::Read) {
        difference = "the file cannot be read back";
    } else {
        difference = BackupDifference(set, readBack, format);
    }
    if (difference) {
        ctx_.LogText(kTextBackupNotVerified, LoadUiString(kTextBackupNotVerified) + " " + *difference + "\n");
        ctx_.Message(kTextBackupNotVerified);
        model.userDataOutcome.message = kTextBackupNotVerified;
        return false;
    }
    model.userDataOutcome.format = format;
    for (const USERDATAWITHFINGER& user : readBack.users) {
        ++model.userDataOutcome.users;
        model.userDataOutcome.templates += user.TemplatesInSlots(0, kTemplateSlots - 1);
    }
    return true;
}

void BackupRun::Progress(std::uint32_t percent)
{
    ctx_.host.SetProgress(percent);
}

void BackupRun::End(bool succeeded)
{
    MainModel& model = ctx_.model;
    ctx_.host.SetProgress(0);
    model.lastOperationSucceeded = succeeded;
    model.EndOperation();  // closes the converter; the session is gone from here on
    model.userData.EmptyUserList();
    ctx_.host.OperationEnded(succeeded);
}

}  // namespace

void BackupWorker(MainModel& model, UpdateHost& host, BusSession& session)
{
    BackupRun(model, host, session).Run();
}

}  // namespace quorfw
