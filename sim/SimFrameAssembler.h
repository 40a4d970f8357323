#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quorfw {

// The stations' ear: cuts a byte stream from the tool into frames by STX and the length
// word, whatever pieces the bytes come in. Bytes before an STX are skipped; an STX whose
// length word gives an impossible total is skipped too and the hunt goes on after it.
class SimFrameAssembler {
public:
    // Feeds bytes; returns the frames they completed, in order.
    [[nodiscard]] std::vector<std::vector<std::uint8_t>> Feed(std::span<const std::uint8_t> bytes);
    // Forgets a partly received frame.
    void Reset() { partial_.clear(); }
    [[nodiscard]] bool HasPartialFrame() const { return !partial_.empty(); }

private:
    std::vector<std::uint8_t> partial_;
};

}  // namespace quorfw
