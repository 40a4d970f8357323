#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "bus/BusMessage.h"

namespace quorfw::testutil {

// "02 39 20" -> {0x02, 0x39, 0x20}
inline std::vector<std::uint8_t> Hex(const std::string& text)
{
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0xF];
    }
    return text;
}

// Bytes that stress the escaping: runs of STX, ETX and escape bytes, runs of ordinary bytes
// of every length around the token limits, and single bytes.
inline void FillStressBytes(std::mt19937& random, std::uint8_t* out, std::size_t count)
{
    static constexpr std::uint8_t kSpecials[] = {0x02, 0x03, 0x3F};
    std::size_t at = 0;
    while (at < count) {
        const unsigned pick = random() % 4;
        const std::uint8_t b = pick < 3 ? kSpecials[pick] : static_cast<std::uint8_t>(random());
        const std::size_t run = std::min<std::size_t>(count - at, 1 + random() % 70);
        for (std::size_t i = 0; i < run; ++i)
            out[at++] = b;
    }
}

// An address with bits 7, 15 and 23 set or clear at random; its top byte never one that
// cannot travel (0x02, 0x03, 0x3F).
inline std::uint32_t RandomAddress(std::mt19937& random)
{
    std::uint32_t address = random();
    const std::uint8_t top = static_cast<std::uint8_t>(address >> 24);
    if (top == 0x02 || top == 0x03 || top == 0x3F)
        address ^= 0x40000000;
    return address;
}

}  // namespace quorfw::testutil
