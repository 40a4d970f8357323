#include "bus/FrameCodec.h"

#include <algorithm>
#include <cstring>

#include "bus/Crc8.h"
#include "bus/LinkScrambling.h"

namespace quorfw {
namespace {

constexpr std::uint32_t kOperand2ModuleBit = 0x40000000;
constexpr std::uint32_t kFoldedAddressBits = 0x808080;
constexpr std::uint32_t kRestoredAddressMask = 0xFF7F7F7F;
constexpr std::uint8_t kAddressBitsMarker = 0x80;

bool TakesModuleOperandBit(std::uint8_t command, std::uint32_t destination)
{
    const std::uint8_t base = command & 0xBF;
    const bool listed = base == 0x17 || base == 0x18 || base == 0x38 || base == 0x39;
    const std::uint32_t role = destination >> 28;
    return listed && role != 0x2 && role != 0x4;
}

// Bits 23, 15 and 7 of an address as three bits, bit 23 highest.
std::uint8_t LowByteTopBits(std::uint32_t address)
{
    return static_cast<std::uint8_t>(((address >> 21) & 0x4) | ((address >> 14) & 0x2) | ((address >> 7) & 0x1));
}

std::uint32_t WithLowByteTopBits(std::uint32_t address, std::uint8_t bits)
{
    return (address & kRestoredAddressMask) | (static_cast<std::uint32_t>(bits & 0x4) << 21) |
           (static_cast<std::uint32_t>(bits & 0x2) << 14) | (static_cast<std::uint32_t>(bits & 0x1) << 7);
}

bool IsWireSpecial(std::uint8_t b)
{
    return b == kStx || b == kEtx || b == kEscape;
}

// A message shorter than the fixed part reads zeros there, not what an earlier message left.
void ClearPastLength(BusMessage& message)
{
    const std::size_t length = std::min<std::size_t>(message.Length(), BusMessage::kDataOffset);
    std::fill(message.bytes.begin() + static_cast<std::ptrdiff_t>(length),
              message.bytes.begin() + BusMessage::kDataOffset, std::uint8_t{0});
}

void RunAnswerProgram(const LinkState& link, BusMessage& message)
{
    const std::uint8_t program = message.Kind() & kKindProgramMask;
    if (program >= 1 && program <= kLastAnswerProgram)
        RunProgram(message.Payload(), link.programs.Inverse(program), true, false, link.programs);
}

}  // namespace

void FillRequest(const LinkState& link, BusMessage& message, std::uint16_t length, std::uint32_t source,
                 std::uint32_t destination, std::uint8_t command, std::uint32_t operand1, std::uint32_t operand2,
                 std::uint8_t frameFlags, std::uint8_t kind)
{
    if (TakesModuleOperandBit(command, destination))
        operand2 |= kOperand2ModuleBit;
    message.SetLength(length);
    message.SetLinkMode(link.linkMode);
    message.SetFrameFlags(frameFlags);
    message.SetKind(kind);
    message.SetDestination(destination);
    message.SetSource(source);
    message.SetSequence(link.sequence);
    message.SetSeedHigh(0);
    message.SetSeedLow(0);
    message.SetCommand(command);
    message.SetOperand1(operand1);
    message.SetOperand2(operand2);
}

void StoreChecksum(BusMessage& message)
{
    message.SetChecksum(Crc8(message.Payload()));
}

void MarkPlain(BusMessage& message)
{
    message.SetSeedLow(0);
    message.SetSeedHigh(0);
    message.SetKind(kKindPlain);
}

void SeedScramble(BusMessage& message, std::uint16_t random15, std::uint32_t multiplier, std::uint32_t increment)
{
    message.SetSeedLow(static_cast<std::uint8_t>(random15 & 0xFF));
    message.SetSeedHigh(static_cast<std::uint8_t>((random15 >> 8) & 0xFF));
    Scramble(message.Payload(), MessageSeed(message), multiplier, increment);
    message.SetKind(kKindSeedScrambled);
}

void CompactHeader(BusMessage& message)
{
    const std::size_t payloadLength = message.PayloadLength();
    message.bytes[BusMessage::kCompactChecksumOffset] = message.Checksum();
    std::memmove(message.bytes.data() + BusMessage::kCompactPayloadOffset,
                 message.bytes.data() + BusMessage::kHeaderLength, payloadLength);
    // Three bytes fewer whatever the length: a bare header sent without the header-only flag
    // (the link reset) keeps an empty body rather than gaining the checksum byte.
    const std::uint16_t length = message.Length();
    message.SetLength(length > BusMessage::kCompactSaving
                          ? static_cast<std::uint16_t>(length - BusMessage::kCompactSaving)
                          : std::uint16_t{0});
}

bool ExpandCompactHeader(BusMessage& message)
{
    const std::size_t length = message.Length();
    if (length < BusMessage::kCompactPayloadOffset || length + BusMessage::kCompactSaving > kMaxMessageLength)
        return false;
    const std::uint8_t checksum = message.bytes[BusMessage::kCompactChecksumOffset];
    std::memmove(message.bytes.data() + BusMessage::kHeaderLength,
                 message.bytes.data() + BusMessage::kCompactPayloadOffset, length - BusMessage::kCompactPayloadOffset);
    message.SetLength(static_cast<std::uint16_t>(length + BusMessage::kCompactSaving));
    message.SetChecksum(checksum);
    message.SetSequence(0);
    MarkPlain(message);
    ClearPastLength(message);
    return true;
}

void FoldAddresses(BusMessage& message)
{
    const std::uint32_t destination = message.Destination();
    const std::uint32_t source = message.Source();
    message.SetAddressBits(
        static_cast<std::uint8_t>(kAddressBitsMarker | (LowByteTopBits(destination) << 3) | LowByteTopBits(source)));
    message.SetDestination(destination | kFoldedAddressBits);
    message.SetSource(source | kFoldedAddressBits);
}

void RestoreAddresses(BusMessage& message)
{
    const std::uint8_t bits = message.AddressBits();
    message.SetDestination(WithLowByteTopBits(message.Destination(), static_cast<std::uint8_t>(bits >> 3)));
    message.SetSource(WithLowByteTopBits(message.Source(), bits));
}

bool WireHeaderIsValid(const BusMessage& message)
{
    return std::none_of(message.bytes.begin() + BusMessage::kLinkModeOffset,
                        message.bytes.begin() + BusMessage::kHeaderOnlyLength, IsWireSpecial);
}

bool EscapeBody(std::span<const std::uint8_t> body, std::span<std::uint8_t, kMaxFrameLength> frame,
                std::size_t& offset)
{
    if (body.empty())
        return true;
    const std::size_t last = body.size() - 1;
    std::size_t p = 0;
    while (p <= last) {
        if (offset >= kFrameAbandonOffset)
            return false;
        const std::uint8_t b = body[p];
        // The run never takes in the body's last byte: that byte is always a token of its own.
        std::size_t count = 1;
        while (p + count < last && count < kMaxRunLength && body[p + count] == b)
            ++count;
        std::uint8_t specialBase = 0;
        if (b == kStx)
            specialBase = 0x40;
        else if (b == kEtx)
            specialBase = 0x80;
        else if (b == kEscape)
            specialBase = 0xC0;
        if (specialBase != 0) {
            frame[offset++] = kEscape;
            frame[offset++] = static_cast<std::uint8_t>(specialBase + count);
            p += count;
        } else if (count <= 3) {
            // Short runs cost no more as literals; the next token counts the rest again.
            frame[offset++] = b;
            p += 1;
        } else {
            frame[offset++] = kEscape;
            frame[offset++] = static_cast<std::uint8_t>(count);
            frame[offset++] = b;
            p += count;
        }
    }
    return true;
}

void WriteFrame(const BusMessage& message, EncodedFrame& out)
{
    out.size = 0;
    out.abandoned = false;
    std::size_t offset = 0;
    out.buffer[offset++] = kStx;
    offset += 2;  // length word, filled in once the ETX offset is known
    std::copy(message.bytes.begin() + BusMessage::kLinkModeOffset,
              message.bytes.begin() + BusMessage::kHeaderOnlyLength, out.buffer.begin() + offset);
    offset += BusMessage::kHeaderOnlyLength - BusMessage::kLinkModeOffset;
    if (!message.IsHeaderOnly()) {
        const std::size_t length = std::min<std::size_t>(message.Length(), kMaxMessageLength);
        const std::size_t bodyLength = length > BusMessage::kHeaderOnlyLength ? length - BusMessage::kHeaderOnlyLength : 0;
        const std::span<const std::uint8_t> body(message.bytes.data() + BusMessage::kHeaderOnlyLength, bodyLength);
        if (!EscapeBody(body, out.buffer, offset)) {
            out.abandoned = true;
            return;
        }
    }
    const std::size_t etxOffset = offset;
    out.buffer[offset++] = kEtx;
    WriteLe16(&out.buffer[1], static_cast<std::uint16_t>(((etxOffset - 1) << 2) | 0x2001));
    out.size = offset;
}

EncodedFrame EncodeFrame(LinkState& link, BusMessage& message)
{
    EncodedFrame out;
    if (link.state.load() != kStateOpen) {
        out.status = kSendSessionClosed;
        return out;
    }
    if (message.Length() > kMaxMessageLength) {
        out.status = kSendUnencodable;
        return out;
    }
    StoreChecksum(message);
    const std::uint8_t command = message.Command();
    if (command == 0x00 || command == 0x90 || message.Kind() == kKindPlain)
        MarkPlain(message);
    else if (link.linkMode == LINK_SCRAMBLED)
        SeedScramble(message, link.Random15(), link.multiplier, link.increment);
    if (link.linkMode == LINK_COMPACT && !message.IsHeaderOnly())
        CompactHeader(message);
    FoldAddresses(message);
    if (!WireHeaderIsValid(message)) {
        out.status = kSendUnencodable;
        return out;
    }
    WriteFrame(message, out);
    return out;
}

bool UnescapeFrame(std::span<const std::uint8_t> frame, BusMessage& out)
{
    if (frame.size() < kMinFrameLength)
        return false;
    const std::size_t etxOffset = ((ReadLe16(&frame[1]) >> 2) & 0x7FF) + 1;
    const std::size_t frameLength = etxOffset + 1;
    if (frameLength < kMinFrameLength || frameLength > kMaxFrameLength)
        return false;
    if (frameLength > frame.size())
        return false;  // the length word claims more than arrived
    std::size_t in = 3;
    std::size_t at = BusMessage::kLinkModeOffset;
    auto put = [&](std::uint8_t value, std::size_t count) {
        if (count > kMaxMessageLength - at)
            return false;
        std::fill_n(out.bytes.begin() + static_cast<std::ptrdiff_t>(at), count, value);
        at += count;
        return true;
    };
    while (in < etxOffset) {
        const std::uint8_t b = frame[in++];
        if (b != kEscape) {
            if (!put(b, 1))
                return false;
            continue;
        }
        if (in >= etxOffset)
            return false;  // escape without its count
        const std::uint8_t token = frame[in++];
        const std::size_t count = token & 0x3F;
        bool ok = false;
        switch (token >> 6) {
        case 0:
            if (in >= etxOffset)
                return false;  // run without its byte
            ok = put(frame[in++], count);
            break;
        case 1: ok = put(kStx, count); break;
        case 2: ok = put(kEtx, count); break;
        default: ok = put(kEscape, count); break;
        }
        if (!ok)
            return false;
    }
    if (at < BusMessage::kHeaderOnlyLength)
        return false;  // addresses and flags would be whatever the record held before
    out.SetLength(static_cast<std::uint16_t>(at));
    ClearPastLength(out);
    return true;
}

DecodeResult DecodeFrameChecked(LinkState& link, std::span<const std::uint8_t> frame, BusMessage& out)
{
    if (!UnescapeFrame(frame, out))
        return DecodeResult::Malformed;
    RestoreAddresses(out);
    if (out.IsHeaderOnly())
        return DecodeResult::Accepted;
    if (link.linkMode == LINK_COMPACT && !ExpandCompactHeader(out))
        return DecodeResult::Malformed;
    RunAnswerProgram(link, out);
    if (IsSeedScrambledKind(out.Kind()))
        Unscramble(out.Payload(), MessageSeed(out), link.multiplier, link.increment);
    if (Crc8(out.Payload()) != out.Checksum()) {
        link.inSync = false;
        return DecodeResult::ChecksumMismatch;
    }
    if (out.Command() == 0x00)
        (void)ExtractKeyParameters(link, out);
    if (out.Sequence() != link.sequence && !IsUnitAddress(out.Destination()) && !IsUnitAddress(out.Source())) {
        link.inSync = false;
        return DecodeResult::SequenceMismatch;
    }
    ++link.sequence;
    if (out.Kind() & 0x80)
        link.inSync = true;
    return DecodeResult::Accepted;
}

bool DecodeFrame(LinkState& link, std::span<const std::uint8_t> frame, BusMessage& out)
{
    return DecodeFrameChecked(link, frame, out) == DecodeResult::Accepted;
}

}  // namespace quorfw
