#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorfw {

// One template of a user as it is kept between unit and file: bytes 0-1 the total length
// (data length + 3, little-endian), byte 2 the template slot, then the data exactly as the
// module delivered it. The total length is also the backup block length it is stored under.
// An empty buffer means the slot holds no template.
using TemplateBuffer = std::vector<std::uint8_t>;

inline constexpr std::size_t kTemplateBufferHeadSize = 3;
// The longest data a buffer can carry: the total length must fit its 16-bit head.
inline constexpr std::size_t kTemplateDataMax = 0xFFFF - kTemplateBufferHeadSize;

// A buffer for data stored in slot; nothing when the data is too long for the head or the
// slot does not fit its byte.
[[nodiscard]] std::optional<TemplateBuffer> MakeTemplateBuffer(unsigned slot, std::span<const std::uint8_t> data);

// The length in the head (0 for a buffer shorter than its two length bytes).
[[nodiscard]] std::uint16_t TemplateBufferLength(const TemplateBuffer& buffer);

// The bytes after the head (empty for a buffer shorter than its head).
[[nodiscard]] std::span<const std::uint8_t> TemplateData(const TemplateBuffer& buffer);

// True when the buffer has its whole head, its length field equals its size and its slot
// byte names slot.
[[nodiscard]] bool IsWellFormedTemplateBuffer(const TemplateBuffer& buffer, unsigned slot);

}  // namespace quorfw
