#pragma once

#include <cstdint>
#include <span>

#include "bus/BusMessage.h"
#include "bus/FrameCodec.h"
#include "bus/LinkState.h"

namespace quorfw {

// The station end of the frame codec: what the control unit or a module does with a frame
// from the tool and how it frames its answer. Built on the tool's own codec steps, read the
// other way round: the station learns the key from announcements, unscrambles seed-scrambled
// requests, honours the compact header when the request's link mode byte asks for it, and
// checks no sequence (it answers with the request's).
class StationLink {
public:
    // A fixed seed keeps answer seeds reproducible.
    explicit StationLink(std::uint32_t randomSeed);

    // Decodes a request frame (STX through ETX). Accepted requests with command 0 set the key.
    // Header-only requests come back with length 14 and only the header valid.
    [[nodiscard]] DecodeResult DecodeRequest(std::span<const std::uint8_t> frame, BusMessage& request);

    // Starts an answer to `request`: addresses swapped, the request's sequence and link mode,
    // frameFlags 0x80, kind plain, the code and operands, then `data`; length 27 + data size.
    // False when the data does not fit a message.
    [[nodiscard]] static bool FillAnswer(const BusMessage& request, BusMessage& answer, std::uint8_t code,
                                         std::uint32_t operand1, std::uint32_t operand2,
                                         std::span<const std::uint8_t> data = {});

    // Frames an answer in one of three styles: kKindPlain (0xC0), kKindSeedScrambled (0x80,
    // a random seed and the learned key) or a program number 1-7 (the forward program over the
    // payload, kind 0xC0 | n, so the tool runs the inverse). A compact answer carries neither
    // seed nor kind, so it always goes plain. Changes `answer` in place as the tool's encoder
    // does. Status kSendUnencodable for any other style or an unframeable answer.
    [[nodiscard]] EncodedFrame EncodeAnswer(BusMessage& answer, std::uint8_t answerKind);

    // A header-only answer to `request`: frameFlags 0x80 | 0x20 | `flags` (kFrameBusy or
    // kFrameRefused, or 0).
    [[nodiscard]] EncodedFrame EncodeHeaderOnly(const BusMessage& request, std::uint8_t flags);

    // The key learned from the last announcement, the programs and the random source.
    LinkState& Link() { return link_; }
    const LinkState& Link() const { return link_; }

private:
    LinkState link_;
};

}  // namespace quorfw
