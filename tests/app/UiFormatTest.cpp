#include "app/UiFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace quorfw {
namespace {

TEST(FormatUiText, SubstitutesInOrderAndPads)
{
    EXPECT_EQ(FormatUiText("%s-%s", {"09.12.2024 14:05:33", "entry"}), "09.12.2024 14:05:33-entry");
    EXPECT_EQ(FormatUiText("Step %d of %d", {3, 5}), "Step 3 of 5");
    EXPECT_EQ(FormatUiText("%u %x %X", {-1, 255, 0xABCDu}), "4294967295 ff ABCD");
    EXPECT_EQ(FormatUiText("[%05d] [%5d] [%05d] [%-4s] [%3s]", {42, -42, -42, "ab", "abcd"}),
              "[00042] [  -42] [-0042] [ab  ] [abcd]");
    EXPECT_EQ(FormatUiText("%c%c", {'O', 'k'}), "Ok");
    EXPECT_EQ(FormatUiText("%ld %lu", {7L, std::numeric_limits<std::uint64_t>::max()}), "7 18446744073709551615");
    EXPECT_EQ(FormatUiText("100%% done", {}), "100% done");
}

// Translations and callers get out of step; none of that may read beyond the arguments.
TEST(FormatUiText, MismatchedArgumentsStaySafe)
{
    EXPECT_EQ(FormatUiText("%s and %s and %d", {"one"}), "one and  and ");
    EXPECT_EQ(FormatUiText("%d", {1, 2, 3}), "1");
    EXPECT_EQ(FormatUiText("%s", {12}), "12");
    EXPECT_EQ(FormatUiText("%d", {"text"}), "text");
    EXPECT_EQ(FormatUiText("%s", {static_cast<const char*>(nullptr)}), "");
}

TEST(FormatUiText, UnknownConversionsAreCopiedWithoutTakingAnArgument)
{
    EXPECT_EQ(FormatUiText("%f %s", {"x"}), "%f x");
    EXPECT_EQ(FormatUiText("%n%s", {"x"}), "%nx");
    EXPECT_EQ(FormatUiText("%100d|%s", {"x"}), "%100d|x");
    EXPECT_EQ(FormatUiText("50 %", {1}), "50 %");
    EXPECT_EQ(FormatUiText("%", {}), "%");
}

TEST(UiPlaceholders, ListsConversionsInOrder)
{
    EXPECT_EQ(UiPlaceholders("Module %s: installed version %s, package version %s\n"), "sss");
    EXPECT_EQ(UiPlaceholders("%i %X %05u %-3c %%"), "dxuc");
    EXPECT_EQ(UiPlaceholders("50 % and %f"), "");
    EXPECT_EQ(UiPlaceholders(""), "");
}

}  // namespace
}  // namespace quorfw
