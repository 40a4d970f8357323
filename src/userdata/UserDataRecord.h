#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorfw {

// One user as an older unit delivers it (16 bytes). The bytes are kept exactly as read so
// that a record travels from unit to file and back unchanged.
struct USERDATARECORD {
    static constexpr std::size_t kSize = 16;
    static constexpr std::size_t kUserNumberOffset = 0;
    static constexpr std::size_t kByte1Offset = 1;
    static constexpr std::size_t kTemplateMaskOffset = 2;
    static constexpr std::size_t kNameOffset = 6;
    static constexpr std::size_t kNameSize = 10;
    // Finger template slots 0-9, three mask bits each.
    static constexpr unsigned kMaskSlots = 10;

    std::uint8_t userNumber = 0;
    std::uint8_t byte1 = 0;
    std::uint32_t templateMask = 0;
    std::array<std::uint8_t, kNameSize> name{};

    // The first kSize bytes; nothing when fewer are present.
    [[nodiscard]] static std::optional<USERDATARECORD> Read(std::span<const std::uint8_t> bytes);
    [[nodiscard]] std::array<std::uint8_t, kSize> Bytes() const;

    // The name up to its first zero byte, never past the field.
    [[nodiscard]] std::string NameText() const;
    // True when the mask group of slot 0-9 is non-zero; false for any other slot.
    [[nodiscard]] bool HasTemplateInSlot(unsigned slot) const;
};

static_assert(USERDATARECORD::kTemplateMaskOffset + 4 == USERDATARECORD::kNameOffset);
static_assert(USERDATARECORD::kNameOffset + USERDATARECORD::kNameSize == USERDATARECORD::kSize);

// True when the 3-bit group of slot 0-9 in a template mask is non-zero.
[[nodiscard]] constexpr bool MaskHasSlot(std::uint32_t templateMask, unsigned slot)
{
    return slot < USERDATARECORD::kMaskSlots && ((templateMask >> (3 * slot)) & 0x7u) != 0;
}

}  // namespace quorfw
