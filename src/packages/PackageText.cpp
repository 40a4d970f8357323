#include "packages/PackageText.h"

#include <algorithm>
#include <array>

namespace quorfw {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t Utf8SequenceLength(std::span<const std::uint8_t> s)
{
    const std::uint8_t b0 = s[0];
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        low = b0 == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = b0 == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length || s[1] < low || s[1] > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (s[i] < 0x80 || s[i] > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool IsValidUtf8(std::span<const std::uint8_t> s)
{
    while (!s.empty()) {
        const std::size_t length = Utf8SequenceLength(s);
        if (length == 0) {
            return false;
        }
        s = s.subspan(length);
    }
    return true;
}

// Windows-1252 code points of the bytes 0x80 to 0x9F; the five unassigned bytes become
// U+FFFD. Every other byte is the Latin-1 code point of the same value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

}  // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        cp = kReplacement;
    }
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16LeFieldToUtf8(std::span<const std::uint8_t> field)
{
    std::array<std::uint8_t, kPackageTextBufferSize> buffer{};
    std::copy_n(field.begin(), std::min(field.size(), buffer.size()), buffer.begin());

    std::string out;
    for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const char32_t unit = static_cast<char32_t>(buffer[i] | (buffer[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        if (IsHighSurrogate(unit) && i + 3 < buffer.size()) {
            const char32_t next = static_cast<char32_t>(buffer[i + 2] | (buffer[i + 3] << 8));
            if (IsLowSurrogate(next)) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, unit);  // a lone surrogate comes out as U+FFFD
    }
    return out;
}

std::string EightBitTextToUtf8(std::span<const std::uint8_t> text)
{
    const auto zero = std::find(text.begin(), text.end(), std::uint8_t{0});
    text = text.first(static_cast<std::size_t>(zero - text.begin()));
    if (IsValidUtf8(text)) {
        return std::string(text.begin(), text.end());
    }
    std::string out;
    out.reserve(text.size() * 2);
    for (const std::uint8_t byte : text) {
        if (byte >= 0x80 && byte <= 0x9F) {
            AppendUtf8(out, kWindows1252High[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

}  // namespace quorfw
