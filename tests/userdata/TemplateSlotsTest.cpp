#include "userdata/TemplateSlots.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(TemplateSlots, SelectorOfEachSlotRange)
{
    struct Case {
        unsigned slot;
        std::uint32_t selector;
    };
    const Case cases[] = {
        {0, 0x4200}, {9, 0x4290}, {10, 0x42D1}, {14, 0x42D5}, {15, 0x42C1}, {19, 0x42C5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(TemplateSelector(0x42, c.slot), c.selector);
    }
    EXPECT_FALSE(TemplateSelector(0x42, 20).has_value());
    EXPECT_EQ(TemplateSelectorGroup(0x42C1), kBit31ModuleGroup);
    EXPECT_EQ(TemplateSelectorIndex(0x42C1), 1u);
}

TEST(TemplateSlots, GroupDecidesWhichModulesTakeATemplate)
{
    EXPECT_TRUE(ModuleTakesTemplateGroup(12, 0x80345678));
    EXPECT_FALSE(ModuleTakesTemplateGroup(12, 0x70123456));
    EXPECT_TRUE(ModuleTakesTemplateGroup(13, 0x30000001));
    EXPECT_TRUE(ModuleTakesTemplateGroup(0, 0x50234567));
    EXPECT_FALSE(ModuleTakesTemplateGroup(3, 0x80345678));
    EXPECT_FALSE(ModuleTakesTemplateGroup(3, 0));
}

TEST(TemplateSlots, HolderIsTheFirstQualifyingModule)
{
    const std::array<std::uint32_t, 4> addresses = {0x80345678, 0, 0x50234567, 0x70123456};
    EXPECT_EQ(TemplateHolderSlot(0, true, addresses), 2u);
    EXPECT_EQ(TemplateHolderSlot(12, true, addresses), 2u);
    EXPECT_EQ(TemplateHolderSlot(17, true, addresses), 0u);
    // Older units keep fingers on slot 0 whatever its address; they have no slots 10-19.
    EXPECT_EQ(TemplateHolderSlot(5, false, addresses), 0u);
    EXPECT_FALSE(TemplateHolderSlot(10, false, addresses).has_value());

    const std::array<std::uint32_t, 4> scannersOnly = {0x70123456, 0x50234567, 0, 0};
    EXPECT_FALSE(TemplateHolderSlot(15, true, scannersOnly).has_value());
    EXPECT_FALSE(TemplateHolderSlot(20, true, scannersOnly).has_value());
}

}  // namespace
}  // namespace quorfw
