#include "bus/BusDiscovery.h"

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/DeviceTypes.h"
#include "bus/FrameCodec.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kScanPasses = 4;
constexpr std::uint32_t kPollsPerPass = 5;
constexpr std::uint32_t kRollCallPauseMs = 150;
constexpr std::uint32_t kPollPauseMs = 150;
constexpr std::uint32_t kPollListenMs = 300;
constexpr std::uint32_t kBeforeAcknowledgeMs = 50;
constexpr std::uint32_t kAfterAcknowledgeMs = 100;

constexpr std::uint32_t kListenMs = 20;
constexpr std::uint32_t kSilentListens = 7;
constexpr std::uint32_t kBetweenListensMs = 100;
constexpr std::uint32_t kAfterUnitContinueMs = 100;

constexpr std::uint64_t kPollGiveUpMs = 30000;
constexpr std::uint32_t kUnitSilenceWaitMs = 5000;
constexpr std::uint32_t kBeforeReannounceMs = 300;
constexpr std::uint32_t kPollsBeyondLimit = 8;

// The roll call goes out as a bare header with nothing in it but its flags and kind.
BusMessage RollCall()
{
    BusMessage message;
    message.SetLength(kHeaderOnlyLength);
    message.SetFrameFlags(kFlagsRollCall);
    message.SetKind(kKindSeedScrambled);
    return message;
}

// Scan polls and acknowledgements: bare headers with command byte 0 (so they travel plain).
[[nodiscard]] std::uint32_t SendBareHeader(BusSession& session, std::uint32_t source, std::uint32_t destination,
                                           std::uint8_t frameFlags)
{
    BusMessage message;
    FillRequest(session.link, message, kHeaderOnlyLength, source, destination, 0, 0, 0, frameFlags,
                kKindSeedScrambled);
    return session.SendFrame(message);
}

// Enters a module address heard in the roll call; true when it took a new slot.
bool EnterModule(BusSession& session, std::uint32_t address)
{
    const auto count = static_cast<std::size_t>(session.moduleCount);
    for (std::size_t slot = 0; slot < count; ++slot) {
        if (session.modules[slot].address == address) {
            return false;
        }
    }
    if (count >= BusSession::kModuleSlots) {
        return false;
    }
    ModuleInfo& module = session.modules[count];
    module.present = 1;
    module.address = address;
    module.inHighRange = AddressRole(address) == 0x3 ? 1 : 0;
    if (IsIdentityOnlyModuleAddress(address)) {
        module.type = kModuleTypeKeypad;
    }
    return true;
}

// One of the five polls of a pass. False only when the poll could not be sent.
[[nodiscard]] bool PollOnce(BusSession& session, bool& found)
{
    Clock& clock = session.clock();
    if (SendBareHeader(session, session.link.ownAddress, 0, kFlagsAcknowledge) != kSendOk) {
        return false;
    }
    clock.SleepMs(kPollPauseMs);
    BusMessage answer;
    if (!session.ReceiveFrame(answer, kPollListenMs)) {
        return true;
    }
    const std::uint32_t source = answer.Source();
    bool acknowledge = false;
    if (IsUnitAddress(source)) {
        session.unit.address = source;
        session.unit.present = 1;
        acknowledge = true;
    } else if (IsModuleAddress(source) && EnterModule(session, source)) {
        // Only a newly entered module is acknowledged and counted: a second answer of the
        // same module, or a fifth module, changes nothing.
        ++session.moduleCount;
        acknowledge = true;
    }
    if (acknowledge) {
        clock.SleepMs(kBeforeAcknowledgeMs);
        (void)SendBareHeader(session, session.link.ownAddress, source, kFlagsAcknowledge);
        clock.SleepMs(kAfterAcknowledgeMs);
        found = true;
    }
    return true;
}

}  // namespace

bool ScanBus(BusSession& session)
{
    session.moduleCount = 0;
    // Presence is what this scan hears; a slot left from an earlier scan is not a module.
    for (ModuleInfo& module : session.modules) {
        module.present = 0;
    }
    bool found = false;
    for (std::uint32_t pass = 0; pass < kScanPasses; ++pass) {
        session.link.linkMode = pass % 2 == 0 ? LINK_SCRAMBLED : LINK_COMPACT;
        session.link.ownAddress = pass < 2 ? kToolAddress : kToolAddressLateScan;
        BusMessage rollCall = RollCall();
        (void)session.SendFrame(rollCall);
        session.clock().SleepMs(kRollCallPauseMs);
        for (std::uint32_t poll = 0; poll < kPollsPerPass && session.IsOpen(); ++poll) {
            if (!PollOnce(session, found)) {
                return false;
            }
        }
        if (found) {
            return true;
        }
        if (!session.IsOpen()) {
            return false;
        }
    }
    return false;
}

std::uint32_t WaitForUnit(BusSession& session, std::uint32_t timeMs)
{
    Clock& clock = session.clock();
    session.link.announcementAddress = 0;
    const std::uint64_t startMs = clock.NowMs();
    std::uint32_t result = kBusSilent;
    std::uint32_t silentListens = 0;
    BusMessage frame;
    while (true) {
        if (!session.ReceiveFrame(frame, kListenMs)) {
            if (++silentListens >= kSilentListens) {
                break;
            }
            clock.SleepMs(kBetweenListensMs);
        } else {
            silentListens = 0;
            result = kTrafficWithoutUnit;
            // Only a unit calls for the tool; a module's late answer to a 0xA… own address is
            // traffic, and must not become the unit's address.
            if (AddressRole(frame.Destination()) == 0xA && IsUnitAddress(frame.Source())) {
                session.unit.address = frame.Source();
                session.unit.present = 1;
                BusMessage reply;
                FillRequest(session.link, reply, kBareRequestLength, kToolAddressUnitHold, session.unit.address,
                            kCmdContinue, 0, 0, 0x81, kKindPlain);
                (void)session.SendFrame(reply);
                clock.SleepMs(kAfterUnitContinueMs);
                return kUnitAnswered;
            }
        }
        if (clock.NowMs() - startMs >= timeMs || !session.IsOpen()) {
            break;
        }
    }
    return result;
}

std::uint8_t PollModule(BusSession& session, std::uint8_t slot)
{
    std::uint32_t target = 0;
    if (slot < BusSession::kModuleSlots) {
        target = session.modules[slot].address;
    } else if (slot == kUnitSlot) {
        target = session.unit.address;
    } else {
        return kPollGaveUp;
    }
    Clock& clock = session.clock();
    const std::uint64_t startMs = clock.NowMs();
    std::uint64_t counter = 0;
    while (true) {
        if (session.unit.address != 0) {
            BusMessage heard;
            // The unit talking on the bus means it restarted: it must be answered first.
            if (session.ReceiveFrame(heard, kListenMs) &&
                (heard.Source() == session.unit.address || heard.Destination() == session.unit.address) &&
                WaitForUnit(session, kUnitSilenceWaitMs) == kBusSilent) {
                return kPollGaveUp;
            }
        }
        BusMessage request;
        FillRequest(session.link, request, kBareRequestLength, session.link.ownAddress, target, kCmdContinue, 0, 0,
                    0x81, kKindSeedScrambled);
        const BusMessage* answer = session.TransactTimed(request, 0, 50);
        if (clock.NowMs() - startMs >= kPollGiveUpMs || !session.IsOpen()) {
            return kPollGaveUp;
        }
        if (answer == nullptr || answer->Command() == kAnsNeedKey) {
            clock.SleepMs(kBeforeReannounceMs);
            (void)session.AnnounceLinkKey(BusSession::kAnnounceAll);
        }
        // A module that stays away longer than it said it would gets its link reset.
        if (counter++ > std::uint64_t{session.pollLimit} + kPollsBeyondLimit) {
            BusMessage reset;
            FillRequest(session.link, reset, kHeaderOnlyLength, kToolAddressUnitHold, target, 0, 0, 0,
                        kFlagsLinkReset, kKindSeedScrambled);
            (void)session.SendFrame(reset);
            (void)session.AnnounceLinkKey(BusSession::kAnnounceAll);
            counter = 0;
        }
        if (answer != nullptr) {
            if (answer->Command() == kAnsDone) {
                session.pollLimit = answer->Operand2();
            }
            return answer->Command();
        }
    }
}

}  // namespace quorfw
