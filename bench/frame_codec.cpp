// Encode and decode throughput of the frame codec for a full-size request and a short poll.
// Items are frames; bytes are message bytes (header included).
#include <benchmark/benchmark.h>

#include <random>

#include "bus/FrameCodec.h"

namespace quorfw {
namespace {

constexpr std::uint32_t kTool = 0x20000000;
constexpr std::uint32_t kUnit = 0x20000001;  // a unit: decoding needs no matching sequence

// A firmware-like block: bytes that are not frame specials, with stretches of padding, so
// that a 1188-byte request still fits its frame.
void FillBlock(BusMessage& message, std::size_t dataLength)
{
    std::mt19937 random(42);
    for (std::size_t i = 0; i < dataLength; ++i) {
        std::uint8_t b = static_cast<std::uint8_t>(random());
        if (b == kStx || b == kEtx || b == kEscape)
            b = 0x55;
        message.Data()[i] = (i % 256) < 64 ? 0xFF : b;
    }
}

struct Sample {
    const char* name;
    std::uint16_t length;
    std::uint8_t kind;
};

BusMessage MakeRequest(LinkState& link, const Sample& sample)
{
    BusMessage message;
    FillRequest(link, message, sample.length, kTool, kUnit, 0x30, 0x1000, 0x2000, 0x81, sample.kind);
    FillBlock(message, sample.length - BusMessage::kDataOffset);
    return message;
}

LinkState& KeyedLink(LinkState& link)
{
    link.multiplier = 214013 & 0x7FFF;
    link.increment = 2531011 & 0x7FFF;
    return link;
}

void Encode(benchmark::State& state, Sample sample)
{
    LinkState link(1);
    KeyedLink(link);
    const BusMessage request = MakeRequest(link, sample);
    for (auto _ : state) {
        BusMessage message = request;  // the encoder works in place
        const EncodedFrame frame = EncodeFrame(link, message);
        if (frame.size == 0) {
            state.SkipWithError("frame abandoned");
            break;
        }
        benchmark::DoNotOptimize(frame.buffer.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * sample.length);
}

void Decode(benchmark::State& state, Sample sample)
{
    LinkState sender(1);
    LinkState receiver(2);
    KeyedLink(sender);
    KeyedLink(receiver);
    BusMessage request = MakeRequest(sender, sample);
    const EncodedFrame frame = EncodeFrame(sender, request);
    if (frame.size == 0) {
        state.SkipWithError("frame abandoned");
        return;
    }
    BusMessage out;
    for (auto _ : state) {
        if (!DecodeFrame(receiver, frame.Bytes(), out)) {
            state.SkipWithError("frame rejected");
            break;
        }
        benchmark::DoNotOptimize(out.bytes.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * sample.length);
}

// The plain full request is the largest message a transaction takes; the scrambled block
// is the largest that still fits its frame once scrambling has broken up the padding runs.
const Sample kFullRequestPlain{"full_request_1188_plain", 1188, kKindPlain};
const Sample kScrambledBlock{"block_1100_scrambled", 1100, kKindSeedScrambled};
const Sample kShortPoll{"poll_27_scrambled", 27, kKindSeedScrambled};

BENCHMARK_CAPTURE(Encode, full_request_1188_plain, kFullRequestPlain);
BENCHMARK_CAPTURE(Encode, block_1100_scrambled, kScrambledBlock);
BENCHMARK_CAPTURE(Encode, poll_27_scrambled, kShortPoll);
BENCHMARK_CAPTURE(Decode, full_request_1188_plain, kFullRequestPlain);
BENCHMARK_CAPTURE(Decode, block_1100_scrambled, kScrambledBlock);
BENCHMARK_CAPTURE(Decode, poll_27_scrambled, kShortPoll);

}  // namespace
}  // namespace quorfw
