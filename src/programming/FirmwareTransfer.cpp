#include "programming/FirmwareTransfer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/ModuleIdentity.h"
#include "programming/CRC_32.h"
#include "programming/TransferPlan.h"

namespace quorfw {
namespace {

using namespace transfertiming;

constexpr std::uint8_t kFlagsRequest = 0x81;
constexpr std::uint8_t kFlagsBlock = 0x80;
constexpr std::uint8_t kHoldKind = 0x80;
constexpr std::uint32_t kHoldOperand = 0xFF;

bool IsBlockAcknowledged(std::uint8_t code)
{
    return code == kAnsDone || code == kAnsAccepted || code == kAnsPartAccepted || code == kAnsBlockAccepted;
}

class Transfer {
public:
    Transfer(BusSession& session, const TransferPlan& plan, std::string_view name, std::uint8_t slot,
             std::uint32_t target, TransferFailure& failure)
        : s_(session), plan_(plan), name_(name), slot_(slot), target_(target), failure_(failure)
    {
    }

    bool Run()
    {
        if (!s_.IsOpen())
            return Fail(TransferFailure::Step::Closed);
        if (plan_.mode == TransferMode::Archive)
            (void)s_.AnnounceLinkKey(slot_);  // a module that missed it asks again while polled
        else
            s_.clock().SleepMs(kBeforeStartMs);

        if (!Start())
            return false;
        s_.clock().SleepMs(kAfterStartMs);
        if (plan_.mode == TransferMode::Archive)
            (void)PollModule(s_, slot_);  // waits until the module is ready or gives up; either way the blocks follow
        else
            s_.clock().SleepMs(kBeforeBlocksMs);

        if (!SendBlocks() || !End())
            return false;
        return plan_.commit ? Commit() : true;
    }

private:
    bool Fail(TransferFailure::Step step, int answer = -1)
    {
        failure_.step = s_.IsOpen() ? step : TransferFailure::Step::Closed;
        failure_.answer = answer;
        return false;
    }

    // The name travels as 8-bit characters; the start adds a 0 byte after it.
    void PutName(BusMessage& request)
    {
        std::copy(name_.begin(), name_.end(), request.Data());
    }

    bool Start()
    {
        int lastAnswer = -1;
        for (std::uint32_t attempt = 0; attempt < kStartAttempts && s_.IsOpen(); ++attempt) {
            BusMessage request;
            FillRequest(s_.link, request, static_cast<std::uint16_t>(name_.size() + 28), plan_.source, target_,
                        kCmdTransferStart, plan_.announcedBlocks, plan_.transferType, kFlagsRequest, plan_.kind);
            PutName(request);
            request.Data()[name_.size()] = 0;
            s_.clock().SleepMs(kBeforeStartSendMs);
            const BusMessage* answer = s_.Transact(request);
            if (answer == nullptr)
                continue;
            lastAnswer = answer->Command();
            if (lastAnswer == kAnsDone || lastAnswer == kAnsAccepted)
                return true;
        }
        return Fail(TransferFailure::Step::Start, lastAnswer);
    }

    // A unit busy with its own work would break into a long module transfer; it is told to
    // hold still before every eleventh block attempt.
    void HoldUnitIfDue()
    {
        if (slot_ == kUnitSlot || ++holdCount_ < kAttemptsPerHold)
            return;
        holdCount_ = 0;
        if (!s_.unit.present)
            return;
        BusMessage hold;
        FillRequest(s_.link, hold, kBareRequestLength, kToolAddressUnitHold, s_.unit.address, kCmdContinue,
                    kHoldOperand, 0, kFlagsRequest, kHoldKind);
        (void)s_.SendFrame(hold);
        s_.clock().SleepMs(kAfterHoldMs);
    }

    void SendAbort()
    {
        BusMessage abort;
        FillRequest(s_.link, abort, kBareRequestLength, s_.link.ownAddress, s_.link.announcementAddress, kCmdRestart,
                    0, 0, kFlagsBlock, kHoldKind);
        (void)s_.SendFrame(abort);
    }

    void ShowProgress(std::uint32_t ackedBlocks)
    {
        if (plan_.sentImage.size() > kProgressThreshold)
            s_.progress.store(TransferProgress(ackedBlocks, plan_.blockSize, plan_.sentImage.size()));
    }

    bool SendBlocks()
    {
        const std::size_t length = plan_.sentImage.size();
        std::size_t offset = 0;
        std::uint32_t block = 0;
        // Unanswered attempts since the last acknowledgement. Other answers only make the
        // block go again: a target may answer something else for a while (its flash is
        // busy) and then take the block; the window's stop ends a target that never does.
        std::uint32_t unansweredInRow = 0;
        int lastAnswer = -1;
        while (offset < length) {
            failure_.block = block;
            failure_.offset = static_cast<std::uint32_t>(offset);
            if (!s_.IsOpen() || unansweredInRow > kMaxUnansweredBlocks)
                return Fail(TransferFailure::Step::Block, lastAnswer);
            HoldUnitIfDue();
            ShowProgress(block);

            const BlockRequest planned = PlanBlock(plan_, block, offset);
            BusMessage request;
            FillRequest(s_.link, request, planned.length, plan_.source, target_, kCmdTransferBlock, planned.operand1,
                        planned.operand2, kFlagsBlock, plan_.kind);
            std::copy(planned.data.begin(), planned.data.end(), request.Data());
            const BusMessage* answer = s_.TransactTimed(request, kBlockTimeoutMs, kBlockDelayMs);
            s_.clock().SleepMs(kAfterBlockMs);

            if (answer == nullptr) {
                ++unansweredInRow;
                lastAnswer = -1;
                s_.clock().SleepMs(kAfterUnansweredBlockMs);
                continue;
            }
            lastAnswer = answer->Command();
            if (IsBlockAcknowledged(answer->Command())) {
                offset += plan_.blockSize;
                ++block;
                unansweredInRow = 0;
                ShowProgress(block);
            } else if (answer->Command() == kAnsRefused) {
                SendAbort();
                return Fail(TransferFailure::Step::Block, kAnsRefused);
            }
        }
        return true;
    }

    bool End()
    {
        BusMessage request;
        FillRequest(s_.link, request, kBareRequestLength, plan_.source, target_, kCmdTransferEnd, plan_.endOperand, 0,
                    kFlagsRequest, plan_.kind);
        const BusMessage* answer = s_.TransactTimed(request, kEndTimeoutMs, kEndDelayMs);
        if (answer != nullptr && answer->Command() == kAnsRefused)
            return Fail(TransferFailure::Step::End, kAnsRefused);
        return true;
    }

    bool Commit()
    {
        const std::uint32_t crcRegister = CRC_32::Register(plan_.sentImage);
        const std::uint64_t startMs = s_.clock().NowMs();
        while (s_.clock().NowMs() - startMs < kCommitLimitMs) {
            if (!s_.IsOpen())
                break;
            BusMessage request;
            FillRequest(s_.link, request, static_cast<std::uint16_t>(name_.size() + 27), plan_.source, target_,
                        kCmdImageCommit, crcRegister, static_cast<std::uint32_t>(plan_.sentImage.size()),
                        kFlagsRequest, plan_.kind);
            PutName(request);
            const BusMessage* answer = s_.TransactTimed(request, kCommitTimeoutMs, kCommitDelayMs);
            if (answer != nullptr) {
                if (answer->Command() == kAnsCommit && answer->Operand1() != 0)
                    return true;
                return Fail(TransferFailure::Step::Commit, answer->Command());
            }
            s_.clock().SleepMs(kAfterUnansweredCommitMs);
        }
        return Fail(TransferFailure::Step::Commit);
    }

    BusSession& s_;
    const TransferPlan& plan_;
    std::string_view name_;
    std::uint8_t slot_;
    std::uint32_t target_;
    TransferFailure& failure_;
    std::uint32_t holdCount_ = 0;
};

std::optional<std::uint32_t> TargetAddress(const BusSession& session, std::uint8_t slot)
{
    if (slot == kUnitSlot)
        return session.unit.address;
    if (slot < BusSession::kModuleSlots)
        return session.modules[slot].address;
    return std::nullopt;
}

// The start carries the name and a 0 byte in one request.
constexpr std::size_t kMaxNameLength = kMaxRequestLength - 28;

}  // namespace

std::string TransferFailure::Text() const
{
    char answerText[24] = "no answer";
    if (answer >= 0)
        std::snprintf(answerText, sizeof answerText, "answer 0x%02X", static_cast<unsigned>(answer));
    char text[96];
    switch (step) {
    case Step::None: return "no failure";
    case Step::Refused: return "image not transferable to this target";
    case Step::Closed: return "session closed";
    case Step::Start: std::snprintf(text, sizeof text, "start: %s", answerText); break;
    case Step::Block:
        std::snprintf(text, sizeof text, "block %u @0x%X: %s", static_cast<unsigned>(block),
                      static_cast<unsigned>(offset), answerText);
        break;
    case Step::End: std::snprintf(text, sizeof text, "end: %s", answerText); break;
    case Step::Commit:
        if (answer >= 0)
            std::snprintf(text, sizeof text, "commit: %s", answerText);
        else
            std::snprintf(text, sizeof text, "commit: not confirmed in time");
        break;
    }
    return text;
}

bool TransferImage(BusSession& session, std::span<const std::uint8_t> image, std::string_view name, std::uint8_t slot,
                   TransferFailure* failure)
{
    TransferFailure local;
    TransferFailure& why = failure != nullptr ? *failure : local;
    why = TransferFailure{};

    const auto target = TargetAddress(session, slot);
    const auto plan = PlanTransfer({image, name, session.unit.type, session.unitInformation[kUnitKindCodeOffset],
                                    session.link.ownAddress});
    if (!target || !plan || name.size() > kMaxNameLength) {
        why.step = TransferFailure::Step::Refused;
        return false;
    }
    // From a keypad transfer on, the session sends blocks in the keypad form.
    session.unit.type = plan->unitType;
    return Transfer(session, *plan, name, slot, *target, why).Run();
}

}  // namespace quorfw
