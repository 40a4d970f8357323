#include "packages/VersionNumber.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

TEST(VersionNumber, TextToNumber)
{
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 0},
        {"1.2.3.4", 1020304},
        {"6.4.10.0", 6041000},
        {"3.0.4.20", 3000420},
        {"5.5.0.0", 5050000},
        {"99.99.99.99", 99999999},
        {"1.2", 102},           // fewer parts count from the left
        {"7", 7},
        {"1..2", 10002},        // an empty part counts 0
        {"1.2x.3", 10203},      // a part's leading digits
        {"1.100.0.0", 2000000}, // parts above 99 carry over
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(VersionToInt(text), number) << text;
    }
}

TEST(VersionNumber, NumberToText)
{
    EXPECT_EQ(VersionText(0), "");
    EXPECT_EQ(VersionText(1020304), "1.2.3.4");
    EXPECT_EQ(VersionText(6041000), "6.4.10.0");
    EXPECT_EQ(VersionText(1), "0.0.0.1");
    EXPECT_EQ(VersionText(4294967295u), "4294.96.72.95");
    for (const char* text : {"2.5.4.0", "1.2.1.0", "3.0.4.19", "12.34.56.78"}) {
        EXPECT_EQ(VersionText(VersionToInt(text)), text);
    }
}

}  // namespace
}  // namespace quorfw
