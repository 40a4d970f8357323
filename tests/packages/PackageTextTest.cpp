#include "packages/PackageText.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

std::string Field(std::initializer_list<std::uint8_t> bytes)
{
    return Utf16LeFieldToUtf8(std::vector<std::uint8_t>(bytes));
}

TEST(PackageText, Utf16FieldsBecomeUtf8)
{
    EXPECT_EQ(Field({'A', 0, 0xE4, 0x00, 0xAC, 0x20}), "A\xC3\xA4\xE2\x82\xAC");         // A, a-umlaut, euro
    EXPECT_EQ(Field({0x3D, 0xD8, 0x00, 0xDE, 'x', 0}), "\xF0\x9F\x98\x80x");              // surrogate pair
    EXPECT_EQ(Field({0x3D, 0xD8, 'x', 0}), "\xEF\xBF\xBDx");                                // lone high surrogate
    EXPECT_EQ(Field({0x00, 0xDE, 'x', 0}), "\xEF\xBF\xBDx");                                // lone low surrogate
    EXPECT_EQ(Field({'a', 0, 0, 0, 'b', 0}), "a");                                          // stops at NUL
    EXPECT_EQ(Field({'a', 0, 'b'}), "ab");                                                  // odd last byte
    EXPECT_EQ(Field({}), "");

    // Only the first 50 bytes are a text buffer's worth.
    std::vector<std::uint8_t> longField;
    for (int i = 0; i < 30; ++i) {
        longField.push_back('a' + static_cast<std::uint8_t>(i % 26));
        longField.push_back(0);
    }
    EXPECT_EQ(Utf16LeFieldToUtf8(longField), "abcdefghijklmnopqrstuvwxy");
}

TEST(PackageText, EightBitTextIsTakenAsUtf8OrConvertedFromTheWesternCodePage)
{
    const auto text = [](std::string s) {
        return EightBitTextToUtf8(std::vector<std::uint8_t>(s.begin(), s.end()));
    };
    EXPECT_EQ(text("plain"), "plain");
    EXPECT_EQ(text(std::string("cut\0here", 8)), "cut");
    EXPECT_EQ(text("f\xC3\xBCr"), "f\xC3\xBCr");                 // valid UTF-8 stays
    EXPECT_EQ(text("f\xFCr \x80"), "f\xC3\xBCr \xE2\x82\xAC");   // code page: u-umlaut, euro
    EXPECT_EQ(text("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // encoded surrogate is not UTF-8
    EXPECT_EQ(text("\x81"), "\xEF\xBF\xBD");                       // unassigned in the code page
}

}  // namespace
}  // namespace quorfw
