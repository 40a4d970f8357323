#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "userdata/UserDataRecord.h"

namespace quorfw {

// One user as a newer unit delivers it (18 bytes): the 16 bytes of the older record, then
// a mask for template slots 10-19. Kept exactly as read.
struct USERDATARECORDNEW {
    static constexpr std::size_t kSize = 18;
    static constexpr std::size_t kExtraMaskOffset = USERDATARECORD::kSize;
    // Template slots 10-14 and 15-19: slot s is extraMask bit (s - 10) in both halves.
    static constexpr unsigned kFirstExtraSlot = 10;
    static constexpr unsigned kSlots = 20;

    std::uint8_t userNumber = 0;
    std::uint8_t byte1 = 0;
    std::uint32_t templateMask = 0;
    std::array<std::uint8_t, USERDATARECORD::kNameSize> name{};
    std::uint16_t extraMask = 0;

    [[nodiscard]] static std::optional<USERDATARECORDNEW> Read(std::span<const std::uint8_t> bytes);
    [[nodiscard]] std::array<std::uint8_t, kSize> Bytes() const;

    // An older record carried into the newer shape: bytes 0-14 kept, the last name byte and
    // the extra mask zero (an older record cannot name slots 10-19).
    [[nodiscard]] static USERDATARECORDNEW FromOlder(const USERDATARECORD& older);

    [[nodiscard]] std::string NameText() const;
    // Slots 0-19.
    [[nodiscard]] bool HasTemplateInSlot(unsigned slot) const;
};

static_assert(USERDATARECORDNEW::kExtraMaskOffset + 2 == USERDATARECORDNEW::kSize);

}  // namespace quorfw
