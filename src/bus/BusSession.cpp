#include "bus/BusSession.h"

#include <algorithm>
#include <limits>

#include "bus/FrameCodec.h"
#include "bus/LinkScrambling.h"

namespace quorfw {

namespace {

constexpr std::uint8_t kContinueCommand = 0x22;
constexpr std::uint16_t kContinueLength = 27;
constexpr std::uint8_t kReRequestFlags = 0xA0;
constexpr std::uint8_t kReRequestKind = 0x80;

// Answers to a key announcement that end the wait for that module: "announce again",
// "done" and "accepted".
bool IsAnnouncementAnswer(std::uint8_t code)
{
    return code == 0x80 || code == 0x81 || code == 0x82;
}

// Time-outs plus their fixed extras, without wrapping for absurd callers' values.
std::uint32_t AddMs(std::uint32_t a, std::uint32_t b)
{
    const std::uint64_t sum = std::uint64_t{a} + b;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, std::numeric_limits<std::uint32_t>::max()));
}

// Marks a running key announcement pass for its whole extent, also on early returns.
class AnnouncingScope {
public:
    explicit AnnouncingScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~AnnouncingScope() { flag_ = previous_; }
    AnnouncingScope(const AnnouncingScope&) = delete;
    AnnouncingScope& operator=(const AnnouncingScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

}  // namespace

BusSession::BusSession(Transport& transport, Clock& clock) : transport_(transport), clock_(clock) {}

BusSession::BusSession(Transport& transport, Clock& clock, std::uint32_t randomSeed)
    : link(randomSeed), transport_(transport), clock_(clock)
{
}

std::uint32_t BusSession::SendFrame(BusMessage& message)
{
    if (link.state.load() != kStateOpen) {
        return kSendSessionClosed;
    }
    const EncodedFrame frame = EncodeFrame(link, message);
    if (frame.status != kSendOk) {
        return frame.status;
    }
    // Nothing went out, so no answer can come: say so instead of reporting a send.
    if (frame.abandoned) {
        return kSendUnencodable;
    }
    return transport_.WriteBytes(frame.buffer.data(), frame.size) == 0 ? kSendOk : kSendWriteFailed;
}

bool BusSession::ReceiveFrame(BusMessage& message, std::uint32_t timeoutMs)
{
    if (link.state.load() == kStateClosed) {
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> frame = transport_.ReadFrame(timeoutMs);
    if (!frame) {
        return false;
    }
    return DecodeFrame(link, *frame, message);
}

BusSession::Heard BusSession::AwaitAnswer(BusMessage& answer, std::uint32_t waitMs, std::uint32_t destination,
                                          std::uint32_t source)
{
    if (!ReceiveFrame(answer, waitMs)) {
        return Heard::Nothing;
    }
    // Only the addressed station answering us counts; anything else uses up the wait.
    if (answer.Destination() != source || answer.Source() != destination) {
        return Heard::Nothing;
    }
    if (!answer.IsHeaderOnly()) {
        return Heard::Full;
    }
    if ((answer.FrameFlags() & kFrameBusy) != 0) {
        return Heard::Busy;
    }
    if ((answer.FrameFlags() & kFrameRefused) != 0) {
        return Heard::Refused;
    }
    return Heard::OtherHeaderOnly;
}

void BusSession::SendContinue(BusMessage& request, std::uint32_t source, std::uint32_t destination)
{
    FillRequest(link, request, kContinueLength, source, destination, kContinueCommand, 0, 0, request.FrameFlags(),
                request.Kind());
    (void)SendFrame(request);  // an unsent continue shows as the next wait running out
}

void BusSession::SendReRequest(BusMessage& request, std::uint32_t source, std::uint32_t destination)
{
    FillRequest(link, request, 0, source, destination, 0, 0, 0, kReRequestFlags, kReRequestKind);
    (void)SendFrame(request);
}

TransactionFailure::Kind BusSession::KindOfSendStatus(std::uint32_t status)
{
    switch (status) {
    case kSendSessionClosed:
        return TransactionFailure::Kind::NotOpen;
    case kSendUnencodable:
        return TransactionFailure::Kind::TooLong;
    default:
        return TransactionFailure::Kind::SendFailed;
    }
}

BusMessage* BusSession::Fail(TransactionFailure::Kind kind, std::uint8_t lastFlags, std::uint32_t attempts)
{
    lastFailure_.kind = kind;
    lastFailure_.lastAnswerFlags = lastFlags;
    lastFailure_.attempts = static_cast<std::uint8_t>(attempts);
    return nullptr;
}

BusMessage* BusSession::Transact(BusMessage& request)
{
    using Kind = TransactionFailure::Kind;
    if (request.Length() > kMaxRequestLength) {
        return Fail(Kind::TooLong, 0, 0);
    }
    const std::uint32_t destination = request.Destination();
    const std::uint32_t source = request.Source();
    const std::uint32_t sent = SendFrame(request);
    // A transport failure is left to the waits below; a frame that cannot exist is not.
    if (sent == kSendSessionClosed || sent == kSendUnencodable) {
        return Fail(KindOfSendStatus(sent), 0, 0);
    }
    Heard last = Heard::Nothing;
    std::uint8_t lastFlags = 0;
    BusMessage answer;
    for (std::uint32_t wait = 1; wait <= kAttempts; ++wait) {
        const Heard heard = AwaitAnswer(answer, kTransactWaitMs, destination, source);
        if (heard == Heard::Full) {
            request = answer;
            lastFailure_ = {};
            return &request;
        }
        if (heard != Heard::Nothing) {
            last = heard;
            lastFlags = answer.FrameFlags();
        }
        if (heard == Heard::Busy) {
            clock_.SleepMs(kBusyPauseMs);
            SendContinue(request, source, destination);
        } else if (heard != Heard::Nothing) {
            clock_.SleepMs(kReRequestPauseMs);
            SendReRequest(request, source, destination);
        }
        if (!IsOpen()) {
            return Fail(Kind::NotOpen, lastFlags, wait);
        }
    }
    const Kind kind = last == Heard::Busy ? Kind::Busy : last == Heard::Refused ? Kind::Refused : Kind::NoAnswer;
    return Fail(kind, lastFlags, kAttempts);
}

BusMessage* BusSession::TransactTimed(BusMessage& request, std::uint32_t timeoutMs, std::uint32_t delayMs)
{
    using Kind = TransactionFailure::Kind;
    if (request.Length() > kMaxRequestLength) {
        return Fail(Kind::TooLong, 0, 0);
    }
    const std::uint32_t destination = request.Destination();
    const std::uint32_t source = request.Source();
    const std::uint32_t sent = SendFrame(request);
    if (sent != kSendOk) {
        return Fail(KindOfSendStatus(sent), 0, 0);
    }
    clock_.SleepMs(delayMs);
    Heard last = Heard::Nothing;
    std::uint8_t lastFlags = 0;
    BusMessage answer;
    for (std::uint32_t attempt = 1; attempt <= kAttempts; ++attempt) {
        const Heard heard = AwaitAnswer(answer, AddMs(timeoutMs, kTimedExtraWaitMs), destination, source);
        if (heard == Heard::Full) {
            request = answer;
            lastFailure_ = {};
            return &request;
        }
        if (heard != Heard::Nothing) {
            last = heard;
            lastFlags = answer.FrameFlags();
        }
        if (heard == Heard::Busy) {
            clock_.SleepMs(kBusyPauseMs);
            SendContinue(request, source, destination);
        } else if (heard == Heard::Refused) {
            return Fail(Kind::Refused, lastFlags, attempt);
        } else if (heard == Heard::OtherHeaderOnly) {
            clock_.SleepMs(AddMs(timeoutMs, kTimedReRequestExtraMs));
            SendReRequest(request, source, destination);
        }
        // A pass that is already announcing must not start another: on a bus where no
        // module answers, that would never end.
        if (!link.inSync && !announcing_) {
            (void)AnnounceLinkKey(kAnnounceAll);
        }
        if (!IsOpen()) {
            return Fail(Kind::NotOpen, lastFlags, attempt);
        }
        clock_.SleepMs(timeoutMs);
    }
    return Fail(last == Heard::Busy ? Kind::Busy : Kind::NoAnswer, lastFlags, kAttempts);
}

bool BusSession::AnnounceToSlot(const BusMessage& pristine, std::uint32_t address)
{
    const std::uint64_t deadlineMs = clock_.NowMs() + kAnnounceSlotDeadlineMs;
    while (true) {
        BusMessage message = pristine;
        message.SetSource(link.ownAddress);
        message.SetDestination(address);
        const BusMessage* answer = TransactTimed(message, kAnnounceTimeoutMs, kAnnounceDelayMs);
        if (clock_.NowMs() > deadlineMs) {
            return false;
        }
        // Closed: nothing can be sent any more, so waiting out the deadline only delays the stop.
        if (!IsOpen()) {
            return false;
        }
        clock_.SleepMs(kAnnouncePauseMs);
        if (answer != nullptr && IsAnnouncementAnswer(answer->Command())) {
            clock_.SleepMs(kAnnouncePauseMs);
            return true;
        }
        clock_.SleepMs(kAnnounceRetryPauseMs);
    }
}

bool BusSession::AnnounceLinkKey(std::uint8_t target)
{
    AnnouncingScope scope(announcing_);
    // Building it draws the new key and restarts the sequence counter at once.
    announcement.emplace();
    BuildKeyAnnouncement(link, *announcement);
    const BusMessage pristine = *announcement;

    if ((target == kAnnounceAll || target == kAnnounceUnitOnly) && unit.present != 0) {
        BusMessage message = pristine;
        message.SetSource(link.ownAddress);
        message.SetDestination(unit.address);
        (void)SendFrame(message);  // the unit's answer is not awaited
        clock_.SleepMs(kAnnouncePauseMs);
    }
    if (target == kAnnounceUnitOnly || (target >= kModuleSlots && target != kAnnounceAll)) {
        return true;
    }
    const std::size_t first = target == kAnnounceAll ? 0 : target;
    for (std::size_t slot = first; slot < kModuleSlots; ++slot) {
        const ModuleInfo& module = modules[slot];
        if (module.present == 0 || module.address == 0) {
            continue;
        }
        if (!AnnounceToSlot(pristine, module.address)) {
            return false;
        }
    }
    return true;
}

bool BusSession::AwaitFrame()
{
    const std::uint64_t startMs = clock_.NowMs();
    BusMessage message;
    (void)ReceiveFrame(message, kAwaitPollMs);  // whatever was waiting is not the frame awaited
    while (clock_.NowMs() - startMs < kAwaitFrameMs && link.state.load() != kStateClosed) {
        const std::uint64_t beforeMs = clock_.NowMs();
        const std::optional<std::vector<std::uint8_t>> frame = transport_.ReadFrame(kAwaitPollMs);
        if (frame) {
            if (DecodeFrame(link, *frame, message)) {
                return true;
            }
            continue;
        }
        // A transport that gives up at once (closed, cannot reopen) would otherwise spin
        // without the clock moving.
        if (clock_.NowMs() == beforeMs) {
            clock_.SleepMs(1);
        }
    }
    return false;
}

}  // namespace quorfw
