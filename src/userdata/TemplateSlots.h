#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace quorfw {

// A user has up to 20 template slots (older units: 0-9). Each slot is read from and
// written to a module under a templateSelector: userNumber << 8 | group << 4 | index.
inline constexpr unsigned kTemplateSlots = 20;
inline constexpr unsigned kOlderFormatTemplateSlots = 10;

// Group 12 templates live on the bit-31 module; every other group on a module whose
// address has one of bits 28-30 set.
inline constexpr std::uint32_t kBit31ModuleGroup = 12;
inline constexpr std::uint32_t kExtraFingerGroup = 13;

[[nodiscard]] constexpr std::uint32_t TemplateSelectorGroup(std::uint32_t templateSelector)
{
    return (templateSelector >> 4) & 0xF;
}

[[nodiscard]] constexpr std::uint32_t TemplateSelectorIndex(std::uint32_t templateSelector)
{
    return templateSelector & 0xF;
}

// The selector of a user's slot 0-19; nothing for any other slot.
[[nodiscard]] std::optional<std::uint32_t> TemplateSelector(std::uint8_t userNumber, unsigned slot);

// Whether a module at this address takes templates of this group (template writes go to
// every present module that does).
[[nodiscard]] constexpr bool ModuleTakesTemplateGroup(std::uint32_t group, std::uint32_t address)
{
    return group == kBit31ModuleGroup ? (address & 0x80000000u) != 0 : (address & 0x70000000u) != 0;
}

// The module slot (0-3) that holds a user's template slot, from the unit's four module
// addresses (0 = none); nothing when no module qualifies or the slot is out of range.
// Older units keep slots 0-9 on module slot 0.
[[nodiscard]] std::optional<unsigned> TemplateHolderSlot(unsigned templateSlot, bool newFormat,
                                                         const std::array<std::uint32_t, 4>& moduleAddresses);

}  // namespace quorfw
