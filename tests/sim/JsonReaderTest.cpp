#include "sim/JsonReader.h"

#include <string>

#include <gtest/gtest.h>

namespace quorfw {
namespace {

std::optional<JsonValue> Parse(std::string_view text)
{
    JsonError error;
    std::optional<JsonValue> v = JsonReader::Parse(text, error);
    EXPECT_TRUE(v.has_value()) << error.ToText();
    return v;
}

TEST(JsonReader, ReadsNestedValuesKeepingMemberOrder)
{
    const std::optional<JsonValue> v =
        Parse(R"( { "b": [1, -2.5, true, false, null], "a": {"x": "y"}, "e": [], "o": {} } )");
    ASSERT_TRUE(v && v->IsObject());
    ASSERT_EQ(v->Keys(), (std::vector<std::string>{"b", "a", "e", "o"}));
    const JsonValue* b = v->Find("b");
    ASSERT_TRUE(b && b->IsArray());
    ASSERT_EQ(b->Items().size(), 5u);
    EXPECT_EQ(b->Items()[0].AsInteger(), 1);
    EXPECT_EQ(b->Items()[1].AsNumber(), -2.5);
    EXPECT_FALSE(b->Items()[1].AsInteger().has_value());
    EXPECT_TRUE(b->Items()[2].IsBool() && b->Items()[2].AsBool());
    EXPECT_TRUE(b->Items()[3].IsBool() && !b->Items()[3].AsBool());
    EXPECT_TRUE(b->Items()[4].IsNull());
    EXPECT_EQ(v->Find("a")->Find("x")->AsString(), "y");
    EXPECT_TRUE(v->Find("e")->Items().empty());
    EXPECT_TRUE(v->Find("o")->IsObject());
    EXPECT_EQ(v->Find("missing"), nullptr);
}

TEST(JsonReader, DecodesEscapesToUtf8)
{
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {R"("a\"b\\c\/d")", "a\"b\\c/d"},
        {R"("\b\f\n\r\t")", "\b\f\n\r\t"},
        {R"("\u0041\u00e9\u20AC")", "A\xC3\xA9\xE2\x82\xAC"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {"\"\xC3\xA9\xF0\x9F\x98\x80\"", "\xC3\xA9\xF0\x9F\x98\x80"},
        {R"("\u0000")", std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<JsonValue> v = Parse(c.text);
        ASSERT_TRUE(v && v->IsString());
        EXPECT_EQ(v->AsString(), c.expected);
    }
}

TEST(JsonReader, KeepsIntegersExactWhenTheyFit)
{
    struct Case {
        const char* text;
        std::optional<std::int64_t> integer;
        double number;
    };
    const Case cases[] = {
        {"0", 0, 0.0},
        {"-0", 0, -0.0},
        {"2155108984", 2155108984, 2155108984.0},
        {"9223372036854775807", INT64_MAX, 9223372036854775807.0},
        {"9223372036854775808", std::nullopt, 9223372036854775808.0},
        {"1e3", std::nullopt, 1000.0},
        {"0.25", std::nullopt, 0.25},
        {"-1.5E-2", std::nullopt, -0.015},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<JsonValue> v = Parse(c.text);
        ASSERT_TRUE(v && v->IsNumber());
        EXPECT_EQ(v->AsInteger(), c.integer);
        EXPECT_DOUBLE_EQ(v->AsNumber(), c.number);
    }
}

TEST(JsonReader, RejectsWhatStrictJsonRejectsAndSaysWhere)
{
    struct Case {
        std::string text;
        std::size_t line;
        std::size_t column;
        const char* fragment;
    };
    const Case cases[] = {
        {"", 1, 1, "unexpected end"},
        {"  ", 1, 3, "unexpected end"},
        {"{\"a\": 1,}", 1, 9, "member name"},
        {"[1,]", 1, 4, "unexpected character ']'"},
        {"{\"a\": 1, \"a\": 2}", 1, 10, "duplicate member \"a\""},
        {"{\"a\" 1}", 1, 6, "':' expected"},
        {"[1 2]", 1, 4, "',' or ']'"},
        {"{\"a\": 1 \"b\": 2}", 1, 9, "',' or '}'"},
        {"01", 1, 2, "leading zeros"},
        {"-", 1, 2, "digit expected"},
        {"1.", 1, 3, "decimal point"},
        {"1e+", 1, 4, "exponent"},
        {"1e999", 1, 1, "out of range"},
        {"\"a\nb\"", 1, 3, "control character"},
        {"\"abc", 1, 5, "unterminated"},
        {"\"\\x\"", 1, 3, "unknown escape"},
        {"\"\\u12G4\"", 1, 6, "hex digits"},
        {"\"\\ud800\"", 1, 8, "high surrogate"},
        {"\"\\ud800\\u0041\"", 1, 14, "high surrogate"},
        {"\"\\udc00\"", 1, 8, "low surrogate"},
        {"\"\xC3\x28\"", 1, 2, "invalid UTF-8"},
        {"\"\xE0\x80\x80\"", 1, 2, "invalid UTF-8"},
        {"\"\xED\xA0\x80\"", 1, 2, "invalid UTF-8"},
        {"\"\xF4\x90\x80\x80\"", 1, 2, "invalid UTF-8"},
        {"\"\xC3\"", 1, 2, "invalid UTF-8"},
        {"tru", 1, 1, "unknown word"},
        {"nul", 1, 1, "unknown word"},
        {"NaN", 1, 1, "unexpected character 'N'"},
        {"// note\n{}", 1, 1, "unexpected character '/'"},
        {"[1]\n  x", 2, 3, "after the value"},
        {"{}{}", 1, 3, "after the value"},
        {"\x01", 1, 1, "\\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        JsonError error;
        EXPECT_FALSE(JsonReader::Parse(c.text, error).has_value());
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_NE(error.message.find(c.fragment), std::string::npos) << error.message;
        EXPECT_EQ(error.ToText().rfind("line " + std::to_string(c.line) + ", column ", 0), 0u);
    }
}

TEST(JsonReader, BoundsNesting)
{
    const auto nested = [](std::size_t depth, char open, char close) {
        return std::string(depth, open) + std::string(depth, close);
    };
    JsonError error;
    EXPECT_TRUE(JsonReader::Parse(nested(JsonReader::kMaxDepth, '[', ']'), error).has_value());
    EXPECT_FALSE(JsonReader::Parse(nested(JsonReader::kMaxDepth + 1, '[', ']'), error).has_value());
    EXPECT_NE(error.message.find("nesting"), std::string::npos);
    // Far deeper than the limit: refused without running out of stack.
    EXPECT_FALSE(JsonReader::Parse(std::string(1'000'000, '['), error).has_value());

    std::string objects;
    for (std::size_t i = 0; i <= JsonReader::kMaxDepth; ++i) {
        objects += "{\"a\":";
    }
    objects += "1" + std::string(JsonReader::kMaxDepth + 1, '}');
    EXPECT_FALSE(JsonReader::Parse(objects, error).has_value());
    EXPECT_NE(error.message.find("nesting"), std::string::npos);
}

}  // namespace
}  // namespace quorfw
