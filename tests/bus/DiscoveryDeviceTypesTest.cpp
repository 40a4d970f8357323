#include "bus/DeviceTypes.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(DiscoveryDeviceTypes, UnitTypeFromHardwareCode)
{
    struct Case {
        std::uint32_t hardwareCode;
        bool recognised;
        bool typeKnown;
        std::uint32_t type;
    };
    const Case cases[] = {
        {0x10000031, true, true, 1},  {0x10000034, true, true, 1},  {0x10000047, true, true, 9},
        {0x20000031, true, true, 2},  {0x20000033, true, true, 3},  {0x21000034, true, true, 8},
        {0x21000033, true, true, 3},  {0x22000031, true, true, 12}, {0x22000033, true, false, 0},
        {0x10000033, true, false, 0}, {0x2000FF47, true, false, 0}, {0x30000041, false, false, 0},
        {0x20010031, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hardwareCode);
        const auto result = UnitTypeFromHardwareCode(c.hardwareCode);
        EXPECT_EQ(result.recognised, c.recognised);
        EXPECT_EQ(result.typeKnown, c.typeKnown);
        if (c.typeKnown) {
            EXPECT_EQ(result.type, c.type);
        }
    }
}

TEST(DiscoveryDeviceTypes, UnitTypeRefinedByInformation)
{
    struct Case {
        std::uint8_t configuration;
        std::uint8_t kindCode;
        std::uint32_t version;
        std::uint32_t type;
    };
    constexpr std::uint32_t kBefore = 42;
    const Case cases[] = {
        {0x00, 8, 0, 1},              // configuration 0 wins over any kind code
        {0x80, 8, 0, 1},              // low bits 0, bit 7 set
        {0x81, 8, 0, 1},              // low bits 1, bit 7 set
        {0x08, 8, 0, kBefore},        // low bits 0, bit 7 clear: kind code not consulted
        {0x09, 11, 0, kBefore},       // low bits 1, bit 7 clear
        {0x02, 0, 0, 1},
        {0x02, 1, 0, 1},
        {0x02, 7, 2020000, 2},        // not above the boundary
        {0x02, 7, 2020001, 8},
        {0x82, 9, 3000000, 8},
        {0x03, 9, 0, 2},
        {0x02, 8, 0, 3},
        {0x02, 10, 0, 8},
        {0x02, 11, 0, 9},
        {0x02, 20, 0, 12},
        {0x02, 21, 0, 12},
        {0x02, 0x0B + 1, 0, kBefore},
        {0x07, 2, 0, kBefore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "config " << int(c.configuration) << " kind " << int(c.kindCode));
        EXPECT_EQ(RefineUnitType(kBefore, c.configuration, c.kindCode, c.version), c.type);
    }
}

TEST(DiscoveryDeviceTypes, ModuleTypeFromAddressAndVersion)
{
    EXPECT_EQ(ModuleTypeFor(0x80345678, 6040901), 7u);
    EXPECT_EQ(ModuleTypeFor(0x70123456, 6040901), 5u);
    EXPECT_EQ(ModuleTypeFor(0x70123456, 6999999), 5u);
    EXPECT_EQ(ModuleTypeFor(0x50234567, 7000000), 6u);
    EXPECT_EQ(ModuleTypeFor(0x50234567, 3000419), 6u);
    EXPECT_EQ(ModuleTypeFor(0x30000001, 5999999), 6u);
}

}  // namespace
}  // namespace quorfw
