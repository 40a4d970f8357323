#include "sim/StrictJson.h"

#include <string>

#include <gtest/gtest.h>

namespace quorfw {
namespace {

std::string Nested(std::size_t depth)
{
    return std::string(depth, '[') + std::string(depth, ']');
}

TEST(StrictJson, RefusesWhatTheInstallationFilesMustNotHoldAndSaysWhere)
{
    struct Case {
        std::string text;
        std::size_t line;
        std::size_t column;
        const char* fragment;
    };
    std::string deepObjects;
    for (std::size_t i = 0; i <= StrictJson::kMaxDepth; ++i) {
        deepObjects += "{\"a\":";
    }
    deepObjects += "1" + std::string(StrictJson::kMaxDepth + 1, '}');
    const Case cases[] = {
        {"{\"a\": 1, \"a\": 2}", 1, 10, "duplicate member \"a\""},
        {"{\"x\": {\"a\\\"b\": 1,\n \"a\\\"b\": 2}}", 2, 2, "duplicate member \"a\"b\""},
        {"{\"a\": 1,}", 1, 9, "expected string literal"},
        {"[1,]", 1, 4, "unexpected ']'"},
        {"// note\n{}", 1, 1, "invalid literal"},
        {"{\"a\": /* note */ 1}", 1, 7, "invalid literal"},
        {"\"\xC3\x28\"", 1, 3, "ill-formed UTF-8"},
        {"\"\xED\xA0\x80\"", 1, 3, "ill-formed UTF-8"},
        {"\xEF\xBB\xBF{}", 1, 1, "byte order mark"},
        {Nested(StrictJson::kMaxDepth + 1), 1, StrictJson::kMaxDepth + 1, "nesting deeper than 64"},
        {deepObjects, 1, 5 * StrictJson::kMaxDepth + 1, "nesting deeper than 64"},
        {std::string(1'000'000, '['), 1, StrictJson::kMaxDepth + 1, "nesting deeper than 64"},
        {"[1]\n  x", 2, 3, "expected end of input"},
        {"{}{}", 1, 3, "expected end of input"},
        {"", 1, 1, "unexpected end of input"},
        {"1e999", 1, 5, "number overflow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        JsonError error;
        EXPECT_FALSE(StrictJson::Parse(c.text, error).has_value());
        EXPECT_NE(error.message.find(c.fragment), std::string::npos) << error.message;
        EXPECT_EQ(error.ToText().rfind("line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": ", 0),
                  0u)
            << error.ToText();
    }
}

TEST(StrictJson, KeepsMembersInFileOrderAndTakesTheDeepestAllowedNesting)
{
    JsonError error;
    const auto value = StrictJson::Parse(R"({"b": 1, "a": {"b": 2}, "c": "\u00e9"})", error);
    ASSERT_TRUE(value.has_value()) << error.ToText();
    std::string order;
    for (auto it = value->begin(); it != value->end(); ++it) {
        order += it.key();
    }
    EXPECT_EQ(order, "bac");
    EXPECT_EQ((*value)["c"], "\xC3\xA9");
    EXPECT_TRUE(StrictJson::Parse(Nested(StrictJson::kMaxDepth), error).has_value()) << error.ToText();
}

}  // namespace
}  // namespace quorfw
