#include "sim/SimStation.h"

#include <utility>

namespace quorfw {

SimStation::SimStation(const StationConfig& config, std::uint32_t randomSeed) : config_(config), link_(randomSeed)
{
    Handle(kKeyAnnouncement, [this](const BusMessage& r) { return AnswerAnnouncement(r); });
    Handle(kContinue, [this](const BusMessage& r) { return AnswerPoll(r); });
}

void SimStation::Handle(std::uint8_t command, Handler handler)
{
    handlers_[command] = std::move(handler);
}

BusMessage SimStation::Answer(const BusMessage& request, std::uint8_t code, std::uint32_t operand1,
                              std::uint32_t operand2, std::span<const std::uint8_t> data)
{
    BusMessage answer;
    // Station data is bounded by its own blocks; a handler never asks for more than fits.
    (void)StationLink::FillAnswer(request, answer, code, operand1, operand2, data);
    return answer;
}

DecodeResult SimStation::Decode(std::span<const std::uint8_t> frame, BusMessage& request)
{
    const DecodeResult result = link_.DecodeRequest(frame, request);
    if (result == DecodeResult::Accepted && !request.IsHeaderOnly() && request.Command() == kKeyAnnouncement) {
        keyKnown_ = true;
    }
    return result;
}

std::optional<SimReply> SimStation::Respond(const BusMessage& request, FaultPlan& faults)
{
    std::optional<SimReply> reply;
    if (request.IsHeaderOnly()) {
        if (request.FrameFlags() == kReRequestFlags) {
            return lastReply_;
        }
        return RespondToHeader(request);
    }
    const std::uint8_t command = request.Command();
    if (command == kContinue && pending_ && pending_->Source() == request.Source()) {
        if (busyRemaining_ > 0) {
            --busyRemaining_;
            reply = SimReply{SimReply::Kind::Busy, request};
        } else {
            const BusMessage held = *pending_;
            pending_.reset();
            reply = Dispatch(held);
        }
    } else {
        pending_.reset();
        if (faults.Refuses(Address(), command)) {
            reply = SimReply{SimReply::Kind::Refused, request};
        } else if (const std::uint32_t busy = faults.BusyAnswers(Address(), command); busy > 0) {
            pending_ = request;
            busyRemaining_ = busy - 1;
            reply = SimReply{SimReply::Kind::Busy, request};
        } else {
            reply = Dispatch(request);
        }
    }
    if (reply) {
        lastReply_ = reply;
    }
    return reply;
}

std::optional<SimReply> SimStation::Dispatch(const BusMessage& request)
{
    const Handler& handler = handlers_[request.Command()];
    if (!handler) {
        return std::nullopt;
    }
    std::optional<BusMessage> answer = handler(request);
    if (!answer) {
        return std::nullopt;
    }
    return SimReply{SimReply::Kind::Full, *answer};
}

std::optional<SimReply> SimStation::RespondToHeader(const BusMessage&)
{
    return std::nullopt;
}

EncodedFrame SimStation::Encode(const SimReply& reply)
{
    switch (reply.kind) {
    case SimReply::Kind::Busy:
        return link_.EncodeHeaderOnly(reply.message, kFrameBusy);
    case SimReply::Kind::Refused:
        return link_.EncodeHeaderOnly(reply.message, kFrameRefused);
    case SimReply::Kind::Full:
        break;
    }
    BusMessage answer = reply.message;  // encoding scrambles in place; the reply is kept for re-requests
    const std::uint8_t kind =
        (!keyKnown_ && config_.answerKind == kAnswerSeedScrambled) ? kAnswerPlain : config_.answerKind;
    return link_.EncodeAnswer(answer, kind);
}

void SimStation::Restart()
{
    keyKnown_ = false;
    link_.Link().multiplier = 0;
    link_.Link().increment = 0;
    pending_.reset();
    busyRemaining_ = 0;
    lastReply_.reset();
}

std::optional<BusMessage> SimStation::AnswerAnnouncement(const BusMessage& request)
{
    return Answer(request, config_.announceAnswer, 0, 0);
}

std::optional<BusMessage> SimStation::AnswerPoll(const BusMessage& request)
{
    // A station without a key asks for an announcement before anything else.
    if (!keyKnown_) {
        return Answer(request, kAnswerAnnounceAgain, 0, 0);
    }
    return Answer(request, kAnswerDone, 0, config_.pollLimit);
}

}  // namespace quorfw
