#include "sim/StationLink.h"

#include <algorithm>

#include "bus/Crc8.h"
#include "bus/LinkScrambling.h"

namespace quorfw {
namespace {

constexpr std::uint8_t kAnswerFrameFlags = 0x80;  // bit 7 keeps the header byte off the wire specials

EncodedFrame Unencodable()
{
    EncodedFrame out;
    out.status = kSendUnencodable;
    return out;
}

}  // namespace

StationLink::StationLink(std::uint32_t randomSeed) : link_(randomSeed) {}

DecodeResult StationLink::DecodeRequest(std::span<const std::uint8_t> frame, BusMessage& request)
{
    if (!UnescapeFrame(frame, request))
        return DecodeResult::Malformed;
    RestoreAddresses(request);
    if (request.IsHeaderOnly())
        return DecodeResult::Accepted;
    if (request.LinkMode() == LINK_COMPACT && !ExpandCompactHeader(request))
        return DecodeResult::Malformed;
    if (IsSeedScrambledKind(request.Kind()))
        Unscramble(request.Payload(), MessageSeed(request), link_.multiplier, link_.increment);
    if (Crc8(request.Payload()) != request.Checksum())
        return DecodeResult::ChecksumMismatch;
    if (request.Command() == 0x00)
        (void)ExtractKeyParameters(link_, request);
    return DecodeResult::Accepted;
}

bool StationLink::FillAnswer(const BusMessage& request, BusMessage& answer, std::uint8_t code, std::uint32_t operand1,
                             std::uint32_t operand2, std::span<const std::uint8_t> data)
{
    if (data.size() > BusMessage::kDataCapacity)
        return false;
    answer.bytes.fill(0);
    answer.SetLength(static_cast<std::uint16_t>(BusMessage::kDataOffset + data.size()));
    answer.SetLinkMode(request.LinkMode());
    answer.SetFrameFlags(kAnswerFrameFlags);
    answer.SetKind(kKindPlain);
    answer.SetDestination(request.Source());
    answer.SetSource(request.Destination());
    answer.SetSequence(request.Sequence());
    answer.SetCommand(code);
    answer.SetOperand1(operand1);
    answer.SetOperand2(operand2);
    std::copy(data.begin(), data.end(), answer.Data());
    return true;
}

EncodedFrame StationLink::EncodeAnswer(BusMessage& answer, std::uint8_t answerKind)
{
    if (answer.Length() > kMaxMessageLength)
        return Unencodable();
    const bool compact = answer.LinkMode() == LINK_COMPACT && !answer.IsHeaderOnly();
    StoreChecksum(answer);
    if (compact || answerKind == kKindPlain) {
        MarkPlain(answer);
    } else if (answerKind == kKindSeedScrambled) {
        SeedScramble(answer, link_.Random15(), link_.multiplier, link_.increment);
    } else if (answerKind >= 1 && answerKind <= kLastAnswerProgram) {
        MarkPlain(answer);
        RunProgram(answer.Payload(), link_.programs.Forward(answerKind), true, true, link_.programs);
        answer.SetKind(static_cast<std::uint8_t>(kKindPlain | answerKind));
    } else {
        return Unencodable();
    }
    if (compact)
        CompactHeader(answer);
    FoldAddresses(answer);
    if (!WireHeaderIsValid(answer))
        return Unencodable();
    EncodedFrame out;
    WriteFrame(answer, out);
    return out;
}

EncodedFrame StationLink::EncodeHeaderOnly(const BusMessage& request, std::uint8_t flags)
{
    BusMessage answer;
    answer.SetLength(static_cast<std::uint16_t>(BusMessage::kHeaderOnlyLength));
    answer.SetLinkMode(request.LinkMode());
    answer.SetFrameFlags(static_cast<std::uint8_t>(kAnswerFrameFlags | kFrameHeaderOnly | flags));
    answer.SetKind(kKindPlain);
    answer.SetDestination(request.Source());
    answer.SetSource(request.Destination());
    FoldAddresses(answer);
    if (!WireHeaderIsValid(answer))
        return Unencodable();
    EncodedFrame out;
    WriteFrame(answer, out);
    return out;
}

}  // namespace quorfw
