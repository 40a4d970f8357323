#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quorfw {

// Text fields of a package record are UTF-16LE, read through a zero-filled buffer of
// this many bytes up to the first NUL code unit; a field that fills its space needs no
// terminator.
inline constexpr std::size_t kPackageTextBufferSize = 50;

// A UTF-16LE text field as UTF-8. Bytes beyond the buffer size are not looked at; an odd
// last byte is the low byte of a final code unit; an unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf16LeFieldToUtf8(std::span<const std::uint8_t> field);

// 8-bit text up to its first zero byte as UTF-8. Text that is valid UTF-8 is taken as it
// is; anything else was written in a Western Windows code page and is converted from it.
[[nodiscard]] std::string EightBitTextToUtf8(std::span<const std::uint8_t> text);

// Appends the UTF-8 form of a code point (U+FFFD for surrogates and values past U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace quorfw
