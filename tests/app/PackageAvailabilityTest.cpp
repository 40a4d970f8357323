#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/PackageAvailability.h"

namespace quorfw {
namespace {

constexpr std::uint32_t kModuleAddress = 0x70123456;
constexpr std::uint32_t kHighRangeModule = 0x30000010;
constexpr std::uint32_t kUnitAddress = 0x21000001;

struct OfferCase {
    const char* what;
    bool unitRow;
    std::uint32_t installed;
    std::uint32_t address;
    const char* package;
    bool downgrade;
    bool offered;
    AvailabilityCell cell;
};

class DecideOfferTable : public testing::TestWithParam<OfferCase> {};

TEST_P(DecideOfferTable, DecidesOfferAndCell)
{
    const OfferCase& c = GetParam();
    const auto decision = DecideOffer(c.unitRow, c.installed, c.address, c.package, c.downgrade);
    ASSERT_TRUE(decision.has_value()) << c.what;
    EXPECT_EQ(decision->offered, c.offered) << c.what;
    EXPECT_EQ(decision->cell, c.cell) << c.what;
    EXPECT_EQ(decision->showsPackage, c.installed != 0) << c.what;
}

using enum AvailabilityCell;

INSTANTIATE_TEST_SUITE_P(
    VersionRules, DecideOfferTable,
    testing::Values(
        OfferCase{"5.4.5.23 may go back to 4.2.9.12", false, 5040523, kModuleAddress, "4.2.9.12", false, true, Offered},
        OfferCase{"5.4.5.23 may not go back to 4.2.9.11", false, 5040523, kModuleAddress, "4.2.9.11", false, false,
                  NotOffered},
        OfferCase{"6.2.10.11 may go back to 6.1.5.26", false, 6021011, kModuleAddress, "6.1.5.26", false, true, Offered},
        OfferCase{"6.2.10.11 may not go back to 6.1.5.25", false, 6021011, kModuleAddress, "6.1.5.25", false, false,
                  NotOffered},
        OfferCase{"6.4.9.3 takes the same version", false, 6040903, kModuleAddress, "6.4.9.3", false, true, Offered},
        OfferCase{"6.4.9.3 takes an older version", false, 6040903, kModuleAddress, "1.0.0.0", false, true, Offered},
        OfferCase{"0x3 module takes an older version", false, 3000419, kHighRangeModule, "2.0.0.0", false, true,
                  Offered},
        OfferCase{"0x3 module takes the same version", false, 3000419, kHighRangeModule, "3.0.4.19", false, true,
                  Offered},
        OfferCase{"newer version offered", false, 3000419, kModuleAddress, "3.0.4.20", false, true, Offered},
        OfferCase{"equal versions not offered", false, 3000419, kModuleAddress, "3.0.4.19", false, false, NotOffered},
        OfferCase{"older version not offered", false, 3000419, kModuleAddress, "3.0.4.18", false, false, NotOffered},
        OfferCase{"downgrade switch offers older", false, 2000000, kModuleAddress, "1.0.0.0", true, true, Offered},
        OfferCase{"downgrade switch offers equal", false, 2000000, kModuleAddress, "2.0.0.0", true, true, Offered},
        OfferCase{"5.4.5.23 never reaches a module", false, 5000000, kModuleAddress, "5.4.5.23", false, false, Refused},
        OfferCase{"5.4.5.23 refused with downgrades", false, 6000000, kModuleAddress, "5.4.5.23", true, false, Refused},
        OfferCase{"6.2.10.11 refused with downgrades", false, 7000000, kModuleAddress, "6.2.10.11", true, false,
                  Refused},
        OfferCase{"6.2.10.11 refused for a 0x3 module", false, 6000000, kHighRangeModule, "6.2.10.11", false, false,
                  Refused},
        OfferCase{"module without version: offered, no state", false, 0, kModuleAddress, "5.4.5.23", false, true,
                  Empty},
        OfferCase{"unit 1.20.0.0 refused", true, 1200000, kUnitAddress, "9.0.0.0", false, false, Refused},
        OfferCase{"unit 1.10.0.1 refused", true, 1100001, kUnitAddress, "9.0.0.0", true, false, Refused},
        OfferCase{"unit 1.33.10.11 refused", true, 1331011, kUnitAddress, "9.0.0.0", false, false, Refused},
        OfferCase{"unit 1.10.0.0 offered", true, 1100000, kUnitAddress, "9.0.0.0", false, true, Offered},
        OfferCase{"unit 1.33.10.12 offered", true, 1331012, kUnitAddress, "9.0.0.0", false, true, Offered},
        OfferCase{"unit 1.34.23.24 to 1.40.0.0 offered", true, 1342324, kUnitAddress, "1.40.0.0", false, true,
                  Offered},
        OfferCase{"unit at 1.34.23.23 refused", true, 1342323, kUnitAddress, "2.0.0.0", false, false, Refused},
        OfferCase{"package 1.34.23.23 refused for a unit", true, 1000000, kUnitAddress, "1.34.23.23", false, false,
                  Refused},
        OfferCase{"unit 2.0.10.20, older package: notice, not marked", true, 2001020, kUnitAddress, "1.0.0.0", false,
                  false, UnitNotice},
        OfferCase{"unit 2.0.10.20, newer package: notice, marked", true, 2001020, kUnitAddress, "3.0.0.0", false, true,
                  UnitNotice},
        OfferCase{"unit equal versions not offered", true, 2050310, kUnitAddress, "2.5.3.10", false, false,
                  NotOffered},
        OfferCase{"unit ignores the 0x3 rule", true, 3000000, kHighRangeModule, "2.0.0.0", false, false, NotOffered},
        OfferCase{"unit takes 5.4.5.23", true, 5000000, kUnitAddress, "5.4.5.23", false, true, Offered}));

TEST(DecideOffer, PackageWithoutVersionChangesNothing)
{
    EXPECT_FALSE(DecideOffer(false, 3000419, kModuleAddress, "", false).has_value());
    EXPECT_FALSE(DecideOffer(true, 3000419, kUnitAddress, "0.0.0.0", true).has_value());
}

}  // namespace
}  // namespace quorfw
