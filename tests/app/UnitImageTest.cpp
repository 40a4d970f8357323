#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/UnitImage.h"

namespace quorfw {
namespace {

std::vector<std::uint8_t> Composite(std::uint32_t length1, std::uint32_t length2, std::size_t payload)
{
    std::vector<std::uint8_t> image = {
        static_cast<std::uint8_t>(length1), static_cast<std::uint8_t>(length1 >> 8),
        static_cast<std::uint8_t>(length1 >> 16), static_cast<std::uint8_t>(length1 >> 24),
        static_cast<std::uint8_t>(length2), static_cast<std::uint8_t>(length2 >> 8),
        static_cast<std::uint8_t>(length2 >> 16), static_cast<std::uint8_t>(length2 >> 24)};
    for (std::size_t i = 0; i < payload; ++i) {
        image.push_back(static_cast<std::uint8_t>(i + 1));
    }
    return image;
}

TEST(UnitImage, SplitsExactCompositesOnly)
{
    const auto both = Composite(3, 2, 5);
    const auto parts = SplitUnitImage(both);
    ASSERT_TRUE(parts);
    EXPECT_EQ(std::vector<std::uint8_t>(parts->part1.begin(), parts->part1.end()), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::vector<std::uint8_t>(parts->part2.begin(), parts->part2.end()), (std::vector<std::uint8_t>{4, 5}));

    const auto noSecond = SplitUnitImage(Composite(4, 0, 4));
    ASSERT_TRUE(noSecond);
    EXPECT_EQ(noSecond->part1.size(), 4u);
    EXPECT_TRUE(noSecond->part2.empty());

    const struct {
        const char* what;
        std::vector<std::uint8_t> image;
    } refused[] = {
        {"one byte more than announced", Composite(4, 0, 5)},
        {"one byte less than announced", Composite(4, 2, 5)},
        {"lengths that wrap around 32 bits", Composite(0xFFFFFFFF, 6, 5)},
        {"header cut short", std::vector<std::uint8_t>{4, 0, 0, 0, 0, 0, 0}},
        {"empty", {}},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(SplitUnitImage(c.image)) << c.what;
    }
}

}  // namespace
}  // namespace quorfw
