#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorfw::test {

// The length word a frame whose ETX sits at offset etxOffset carries.
inline std::uint16_t LengthWordForEtxAt(std::size_t etxOffset)
{
    return static_cast<std::uint16_t>(((etxOffset - 1) * 4) | 0x2001);
}

// A frame of total bytes from STX to ETX; the bytes in between are distinct per tag so
// two frames can be told apart, and never STX or ETX.
inline std::vector<std::uint8_t> MakeFrame(std::size_t total, std::uint8_t tag = 0x80)
{
    std::vector<std::uint8_t> frame(total);
    const std::uint16_t word = LengthWordForEtxAt(total - 1);
    frame[0] = 0x02;
    frame[1] = static_cast<std::uint8_t>(word);
    frame[2] = static_cast<std::uint8_t>(word >> 8);
    for (std::size_t i = 3; i + 1 < total; ++i) {
        frame[i] = static_cast<std::uint8_t>(0x80 | ((tag + i) & 0x7F));
    }
    frame[total - 1] = 0x03;
    return frame;
}

}  // namespace quorfw::test
