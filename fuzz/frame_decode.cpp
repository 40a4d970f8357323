// Arbitrary bytes as a received frame, for the tool's decoder and a station's. The first
// byte picks the link mode and key; the rest is the frame. Whatever arrives, decoding must
// stay inside the frame and the message record, and an accepted message must fit it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bus/FrameCodec.h"
#include "sim/StationLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quorfw;
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    const std::span<const std::uint8_t> frame(data + 1, size - 1);

    LinkState link(1);
    link.linkMode = (mode & 1) ? LINK_COMPACT : LINK_SCRAMBLED;
    link.multiplier = mode * 2654435761u;
    link.increment = mode;
    link.sequence = static_cast<std::uint8_t>(mode >> 1);
    BusMessage out;
    if (DecodeFrame(link, frame, out) && out.Length() > kMaxMessageLength)
        std::abort();

    StationLink station(1);
    station.Link().multiplier = link.multiplier;
    station.Link().increment = link.increment;
    BusMessage request;
    if (station.DecodeRequest(frame, request) == DecodeResult::Accepted && request.Length() > kMaxMessageLength)
        std::abort();
    return 0;
}
