#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "bus/BusMessage.h"
#include "bus/LinkState.h"

namespace quorfw {

// Frame bytes.
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kEscape = 0x3F;
inline constexpr std::size_t kFrameBodyOffset = 15;     // STX, length word, twelve header bytes
inline constexpr std::size_t kHeaderOnlyFrameLength = 16;
inline constexpr std::size_t kMinFrameLength = 6;
// A body token (at most three bytes) plus ETX must still fit the 1188-byte frame buffer.
inline constexpr std::size_t kFrameAbandonOffset = 1184;
inline constexpr std::size_t kMaxRunLength = 62;

// Results of encoding a frame (and of sending it, which adds kSendWriteFailed).
inline constexpr std::uint32_t kSendOk = 0;
inline constexpr std::uint32_t kSendWriteFailed = 1;
// The message cannot travel: its length lies past the record, or a header byte would read
// as STX, ETX or escape on the wire (an address whose top byte is 0x02, 0x03 or 0x3F).
inline constexpr std::uint32_t kSendUnencodable = 2;
inline constexpr std::uint32_t kSendSessionClosed = kStateClosed;

// One encoded frame in the fixed frame buffer. An empty frame with status kSendOk means the
// body did not fit and the frame was abandoned: the sender writes nothing and reports 0, so
// the transaction ends by its answer time-out.
struct EncodedFrame {
    std::uint32_t status = kSendOk;
    bool abandoned = false;
    std::size_t size = 0;
    std::array<std::uint8_t, kMaxFrameLength> buffer{};

    std::span<const std::uint8_t> Bytes() const { return {buffer.data(), size}; }
};

// Why a received frame was not accepted; the session logs it, the transactions only count it.
enum class DecodeResult {
    Accepted,
    Malformed,         // impossible length, broken token, past the record, header incomplete
    ChecksumMismatch,  // clears inSync
    SequenceMismatch,  // clears inSync
};

// Fills a request header and its command and operands. Leaves checksum, addressBits and the
// data bytes alone. Commands 0x17, 0x18, 0x38 and 0x39 (also with bit 0x40) to anything but a
// unit (0x2…) or 0x4… address get bit 30 set in operand2.
void FillRequest(const LinkState& link, BusMessage& message, std::uint16_t length, std::uint32_t source,
                 std::uint32_t destination, std::uint8_t command, std::uint32_t operand1, std::uint32_t operand2,
                 std::uint8_t frameFlags, std::uint8_t kind);

// The tool's encoder: checksum, scrambling decision, compaction, address folding, framing.
// Changes `message` in place (a resend must fill it again). Status kSendSessionClosed, and
// nothing encoded, unless the link's state is open.
[[nodiscard]] EncodedFrame EncodeFrame(LinkState& link, BusMessage& message);

// The tool's decoder, from the frame bytes (STX through ETX) to an accepted message. The
// caller has already refused a closed session and read the frame.
[[nodiscard]] DecodeResult DecodeFrameChecked(LinkState& link, std::span<const std::uint8_t> frame, BusMessage& out);
[[nodiscard]] bool DecodeFrame(LinkState& link, std::span<const std::uint8_t> frame, BusMessage& out);

// --- The steps, shared with the station side of the simulator. ---

// checksum = Crc8 of the payload.
void StoreChecksum(BusMessage& message);
// Plain: seeds 0, kind 0xC0.
void MarkPlain(BusMessage& message);
// Seeds from `random15`, payload scrambled with seed + sequence, kind 0x80.
void SeedScramble(BusMessage& message, std::uint16_t random15, std::uint32_t multiplier, std::uint32_t increment);
// Moves the checksum to byte 14 and the payload to byte 15; length shrinks by 3.
void CompactHeader(BusMessage& message);
// The reverse, on receipt: payload back to byte 18, sequence and seeds 0, kind plain.
// False when the message is too short to hold the checksum or would outgrow the record.
[[nodiscard]] bool ExpandCompactHeader(BusMessage& message);
// Bit 7 of the three low bytes of both addresses into addressBits; those bits set on the wire.
void FoldAddresses(BusMessage& message);
void RestoreAddresses(BusMessage& message);
// True when none of the twelve header bytes that travel unescaped reads as STX, ETX or escape.
[[nodiscard]] bool WireHeaderIsValid(const BusMessage& message);
// Run-length escapes `body` into `frame` from `offset` on. False when a token would start at
// or past kFrameAbandonOffset (the frame is then abandoned).
[[nodiscard]] bool EscapeBody(std::span<const std::uint8_t> body, std::span<std::uint8_t, kMaxFrameLength> frame,
                              std::size_t& offset);
// Frames a folded message: STX, length word, header bytes, escaped body unless header-only, ETX.
// Leaves `out` empty and abandoned when the body does not fit.
void WriteFrame(const BusMessage& message, EncodedFrame& out);
// Decodes the tokens of a frame into message bytes 2 on and sets `length`. False when the
// frame is shorter than its length word says, outside 6..1188 bytes, ends inside a token,
// decodes past the record, or holds fewer than the twelve header bytes.
[[nodiscard]] bool UnescapeFrame(std::span<const std::uint8_t> frame, BusMessage& out);
// kind 0x80..0xBF: the payload is scrambled with the seed permutation.
[[nodiscard]] constexpr bool IsSeedScrambledKind(std::uint8_t kind) { return kind >= 0x80 && kind <= 0xBF; }
// True for addresses 0x20000000-0x2FFFFFFF (units and the tool's default address).
[[nodiscard]] constexpr bool IsUnitAddress(std::uint32_t address) { return (address >> 28) == 0x2; }

}  // namespace quorfw
