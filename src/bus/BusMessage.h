#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/LittleEndian.h"

namespace quorfw {

// Sizes fixed by the bus.
inline constexpr std::size_t kMaxMessageLength = 1227;  // a received message, header included
inline constexpr std::size_t kMaxRequestLength = 1188;  // a message handed to a transaction
inline constexpr std::size_t kMaxFrameLength = 1188;    // STX to ETX inclusive

// Link modes: the header the modules expect and whether request payloads are scrambled.
inline constexpr std::uint8_t LINK_SCRAMBLED = 0x82;
inline constexpr std::uint8_t LINK_COMPACT = 0x81;

// The session's state word; the window closes it to stop a running operation.
inline constexpr std::uint32_t kStateOpen = 234345;
inline constexpr std::uint32_t kStateClosed = 234346;

// frameFlags bits.
inline constexpr std::uint8_t kFrameHeaderOnly = 0x20;
inline constexpr std::uint8_t kFrameBusy = 0x40;     // in header-only answers
inline constexpr std::uint8_t kFrameRefused = 0x08;  // in header-only answers

// kind values. In a received message the low five bits, when 1..7, name a descrambling program.
inline constexpr std::uint8_t kKindSeedScrambled = 0x80;
inline constexpr std::uint8_t kKindPlain = 0xC0;
inline constexpr std::uint8_t kKindProgramMask = 0x1F;

// One bus message exactly as it travels (after header expansion): an 18-byte header and a
// payload that starts with the command or answer code and two operands. The offsets are
// protocol; the record is read and written byte by byte, never cast.
struct BusMessage {
    static constexpr std::size_t kLengthOffset = 0;
    static constexpr std::size_t kLinkModeOffset = 2;
    static constexpr std::size_t kFrameFlagsOffset = 3;
    static constexpr std::size_t kKindOffset = 4;
    static constexpr std::size_t kAddressBitsOffset = 5;
    static constexpr std::size_t kDestinationOffset = 6;
    static constexpr std::size_t kSourceOffset = 10;
    static constexpr std::size_t kSeedHighOffset = 14;
    static constexpr std::size_t kSequenceOffset = 15;
    static constexpr std::size_t kChecksumOffset = 16;
    static constexpr std::size_t kSeedLowOffset = 17;
    static constexpr std::size_t kCommandOffset = 18;
    static constexpr std::size_t kOperand1Offset = 19;
    static constexpr std::size_t kOperand2Offset = 23;
    static constexpr std::size_t kDataOffset = 27;

    static constexpr std::size_t kHeaderLength = 18;         // the payload starts here
    static constexpr std::size_t kHeaderOnlyLength = 14;     // length word plus the twelve wire header bytes
    static constexpr std::size_t kCompactChecksumOffset = 14;
    static constexpr std::size_t kCompactPayloadOffset = 15;  // the payload in a compact header
    static constexpr std::size_t kCompactSaving = kHeaderLength - kCompactPayloadOffset;

    std::array<std::uint8_t, kMaxMessageLength> bytes{};

    std::uint16_t Length() const { return ReadLe16(&bytes[kLengthOffset]); }
    void SetLength(std::uint16_t v) { WriteLe16(&bytes[kLengthOffset], v); }
    std::uint8_t LinkMode() const { return bytes[kLinkModeOffset]; }
    void SetLinkMode(std::uint8_t v) { bytes[kLinkModeOffset] = v; }
    std::uint8_t FrameFlags() const { return bytes[kFrameFlagsOffset]; }
    void SetFrameFlags(std::uint8_t v) { bytes[kFrameFlagsOffset] = v; }
    std::uint8_t Kind() const { return bytes[kKindOffset]; }
    void SetKind(std::uint8_t v) { bytes[kKindOffset] = v; }
    std::uint8_t AddressBits() const { return bytes[kAddressBitsOffset]; }
    void SetAddressBits(std::uint8_t v) { bytes[kAddressBitsOffset] = v; }
    std::uint32_t Destination() const { return ReadLe32(&bytes[kDestinationOffset]); }
    void SetDestination(std::uint32_t v) { WriteLe32(&bytes[kDestinationOffset], v); }
    std::uint32_t Source() const { return ReadLe32(&bytes[kSourceOffset]); }
    void SetSource(std::uint32_t v) { WriteLe32(&bytes[kSourceOffset], v); }
    std::uint8_t SeedHigh() const { return bytes[kSeedHighOffset]; }
    void SetSeedHigh(std::uint8_t v) { bytes[kSeedHighOffset] = v; }
    std::uint8_t Sequence() const { return bytes[kSequenceOffset]; }
    void SetSequence(std::uint8_t v) { bytes[kSequenceOffset] = v; }
    std::uint8_t Checksum() const { return bytes[kChecksumOffset]; }
    void SetChecksum(std::uint8_t v) { bytes[kChecksumOffset] = v; }
    std::uint8_t SeedLow() const { return bytes[kSeedLowOffset]; }
    void SetSeedLow(std::uint8_t v) { bytes[kSeedLowOffset] = v; }
    std::uint8_t Command() const { return bytes[kCommandOffset]; }
    void SetCommand(std::uint8_t v) { bytes[kCommandOffset] = v; }
    std::uint32_t Operand1() const { return ReadLe32(&bytes[kOperand1Offset]); }
    void SetOperand1(std::uint32_t v) { WriteLe32(&bytes[kOperand1Offset], v); }
    std::uint32_t Operand2() const { return ReadLe32(&bytes[kOperand2Offset]); }
    void SetOperand2(std::uint32_t v) { WriteLe32(&bytes[kOperand2Offset], v); }

    // The command data area (payload byte 9 on), whatever the length says.
    std::uint8_t* Data() { return bytes.data() + kDataOffset; }
    const std::uint8_t* Data() const { return bytes.data() + kDataOffset; }
    static constexpr std::size_t kDataCapacity = kMaxMessageLength - kDataOffset;

    // Payload (command byte on) as far as `length` reaches, never past the record: a length
    // word taken from the wire or set by a caller cannot make a reader leave the buffer.
    std::size_t PayloadLength() const { return ClampedLength() - std::min(ClampedLength(), kHeaderLength); }
    std::span<std::uint8_t> Payload() { return {bytes.data() + kHeaderLength, PayloadLength()}; }
    std::span<const std::uint8_t> Payload() const { return {bytes.data() + kHeaderLength, PayloadLength()}; }
    // Command data as far as `length` reaches.
    std::span<std::uint8_t> DataBytes() { return {Data(), DataLength()}; }
    std::span<const std::uint8_t> DataBytes() const { return {Data(), DataLength()}; }

    bool IsHeaderOnly() const { return (FrameFlags() & kFrameHeaderOnly) != 0; }

private:
    std::size_t ClampedLength() const { return std::min<std::size_t>(Length(), kMaxMessageLength); }
    std::size_t DataLength() const { return ClampedLength() - std::min(ClampedLength(), kDataOffset); }
};

static_assert(BusMessage::kLinkModeOffset == BusMessage::kLengthOffset + 2);
static_assert(BusMessage::kDestinationOffset == BusMessage::kAddressBitsOffset + 1);
static_assert(BusMessage::kSourceOffset == BusMessage::kDestinationOffset + 4);
static_assert(BusMessage::kSeedHighOffset == BusMessage::kSourceOffset + 4);
static_assert(BusMessage::kHeaderOnlyLength == BusMessage::kSeedHighOffset);
static_assert(BusMessage::kSeedLowOffset == BusMessage::kChecksumOffset + 1);
static_assert(BusMessage::kCommandOffset == BusMessage::kHeaderLength);
static_assert(BusMessage::kOperand2Offset == BusMessage::kOperand1Offset + 4);
static_assert(BusMessage::kDataOffset == BusMessage::kOperand2Offset + 4);
static_assert(BusMessage::kCompactPayloadOffset == BusMessage::kCompactChecksumOffset + 1);
static_assert(kMaxMessageLength - BusMessage::kHeaderLength == 1209);
static_assert(sizeof(BusMessage) == kMaxMessageLength);

}  // namespace quorfw
