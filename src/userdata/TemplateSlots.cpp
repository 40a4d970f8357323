#include "userdata/TemplateSlots.h"

namespace quorfw {

namespace {

constexpr unsigned kFirstGroup13Slot = 10;
constexpr unsigned kFirstGroup12Slot = 15;

std::optional<unsigned> FirstModuleTaking(std::uint32_t group, const std::array<std::uint32_t, 4>& moduleAddresses)
{
    for (unsigned slot = 0; slot < moduleAddresses.size(); ++slot) {
        if (ModuleTakesTemplateGroup(group, moduleAddresses[slot])) {
            return slot;
        }
    }
    return std::nullopt;
}

std::uint32_t GroupOfSlot(unsigned slot)
{
    if (slot < kFirstGroup13Slot) {
        return slot;
    }
    return slot < kFirstGroup12Slot ? kExtraFingerGroup : kBit31ModuleGroup;
}

}  // namespace

std::optional<std::uint32_t> TemplateSelector(std::uint8_t userNumber, unsigned slot)
{
    if (slot >= kTemplateSlots) {
        return std::nullopt;
    }
    std::uint32_t index = 0;
    if (slot >= kFirstGroup12Slot) {
        index = slot - kFirstGroup12Slot + 1;
    } else if (slot >= kFirstGroup13Slot) {
        index = slot - kFirstGroup13Slot + 1;
    }
    return (static_cast<std::uint32_t>(userNumber) << 8) | (GroupOfSlot(slot) << 4) | index;
}

std::optional<unsigned> TemplateHolderSlot(unsigned templateSlot, bool newFormat,
                                           const std::array<std::uint32_t, 4>& moduleAddresses)
{
    if (templateSlot >= (newFormat ? kTemplateSlots : kOlderFormatTemplateSlots)) {
        return std::nullopt;
    }
    if (!newFormat) {
        return 0u;
    }
    return FirstModuleTaking(GroupOfSlot(templateSlot), moduleAddresses);
}

}  // namespace quorfw
