#include "bus/CouplingCode.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

// Worked by hand from the derivation for serial "10030100001234":
//   x1 = 0x30313032 ^ 0x09300930 (c0*c1 = 0x930)    = 0x39013902
//   x2 = x1 ^ 0x33303033                              = 0x0A310931
//   x3 = x2 ^ 0x30303134                              = 0x3A013805
// k0 = x1>>26 = 0E, k12 = 90, k2 = 39^(x2>>26 = 02) = 3B, k4 = 01^A3 = A2,
// k6 = 39^10 = 29, k8 = 02^93 = 91, k1 = 0A, k5 = 31, k9 = 09, k13 = 31,
// k3 = 3A, k7 = 01, k11 = 38, k15 = 05, k10 = k14 = 0.
constexpr std::array<std::uint8_t, 16> kCodeOfDemoUnit = {0x0E, 0x0A, 0x3B, 0x3A, 0xA2, 0x31, 0x29, 0x01,
                                                          0x91, 0x09, 0x00, 0x38, 0x90, 0x31, 0x00, 0x05};

TEST(CommandCouplingCode, DerivedFromAKnownSerialNumber)
{
    EXPECT_EQ(DeriveCouplingCode("10030100001234"), kCodeOfDemoUnit);
}

TEST(CommandCouplingCode, OnlyTheFirstFourteenCharactersCount)
{
    EXPECT_EQ(DeriveCouplingCode("10030100001234XYZ"), kCodeOfDemoUnit);
    EXPECT_FALSE(DeriveCouplingCode("1003010000123").has_value());
    EXPECT_FALSE(DeriveCouplingCode("").has_value());
}

}  // namespace
}  // namespace quorfw
