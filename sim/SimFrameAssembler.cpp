#include "sim/SimFrameAssembler.h"

#include "bus/StreamTransport.h"
#include "common/LittleEndian.h"

namespace quorfw {

std::vector<std::vector<std::uint8_t>> SimFrameAssembler::Feed(std::span<const std::uint8_t> bytes)
{
    std::vector<std::vector<std::uint8_t>> frames;
    for (const std::uint8_t byte : bytes) {
        if (partial_.empty() && byte != StreamTransport::kStx) {
            continue;
        }
        partial_.push_back(byte);
        if (partial_.size() < 3) {
            continue;
        }
        const std::size_t total = StreamTransport::FrameTotalFromLengthWord(ReadLe16(partial_.data() + 1));
        if (total < StreamTransport::kMinFrameBytes || total > StreamTransport::kMaxFrameBytes) {
            // Not a frame start after all: hunt again from the byte after this STX.
            std::vector<std::uint8_t> rest(partial_.begin() + 1, partial_.end());
            partial_.clear();
            for (const std::vector<std::uint8_t>& frame : Feed(rest)) {
                frames.push_back(frame);
            }
            continue;
        }
        if (partial_.size() == total) {
            frames.push_back(std::move(partial_));
            partial_.clear();
        }
    }
    return frames;
}

}  // namespace quorfw
