#include <gtest/gtest.h>

#include "cli/JsonWriter.h"

namespace quorfw {
namespace {

TEST(JsonWriter, NestsWithCommas)
{
    JsonWriter json;
    json.BeginObject()
        .Key("ok").Bool(true)
        .Key("modules").BeginArray()
        .BeginObject().Key("slot").Int(0).Key("name").Null().EndObject()
        .BeginObject().Key("slot").Int(1).EndObject()
        .EndArray()
        .Key("selected").Int(-1)
        .Key("empty").BeginArray().EndArray()
        .EndObject();
    EXPECT_EQ(json.Text(),
              R"({"ok":true,"modules":[{"slot":0,"name":null},{"slot":1}],"selected":-1,"empty":[]})");
}

TEST(JsonWriter, EscapesStrings)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", R"("plain")"},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"\n\r\t\b\f", R"("\n\r\t\b\f")"},
        {std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
        {std::string("nul\0in", 6), R"("nul\u0000in")"},
        {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x94\x91", "\"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x94\x91\""},
        {"bad\xFFtail", "\"bad\xEF\xBF\xBDtail\""},
        {"cut\xE2\x82", "\"cut\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"overlong\xC0\xAF", "\"overlong\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"surrogate\xED\xA0\x80", "\"surrogate\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"latin1 \xFC", "\"latin1 \xEF\xBF\xBD\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonQuote(c.in), c.out) << c.in;
    }
    JsonWriter json;
    json.BeginObject().Key("k\"ey").String("v").EndObject();
    EXPECT_EQ(json.Text(), R"({"k\"ey":"v"})");
}

}  // namespace
}  // namespace quorfw
