#include "sim/JsonReader.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quorfw {

std::string JsonError::ToText() const
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> ParseDocument(JsonError& error)
    {
        SkipWhitespace();
        std::optional<JsonValue> value = ParseValue(0);
        if (value) {
            SkipWhitespace();
            if (pos_ != text_.size()) {
                Fail("unexpected text after the value");
                value.reset();
            }
        }
        if (!value) {
            error = error_;
        }
        return value;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    // Records the first failure only: the position of the first fault is the useful one.
    void Fail(std::string message)
    {
        if (failed_) {
            return;
        }
        failed_ = true;
        error_.message = std::move(message);
        error_.line = 1;
        error_.column = 1;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++error_.line;
                error_.column = 1;
            } else {
                ++error_.column;
            }
        }
    }

    void SkipWhitespace()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
            ++pos_;
        }
    }

    std::optional<JsonValue> ParseValue(std::size_t depth)
    {
        if (AtEnd()) {
            Fail("unexpected end of text, a value was expected");
            return std::nullopt;
        }
        switch (Peek()) {
        case '{':
            return ParseObject(depth);
        case '[':
            return ParseArray(depth);
        case '"': {
            std::optional<std::string> s = ParseString();
            if (!s) {
                return std::nullopt;
            }
            return JsonValue::MakeString(std::move(*s));
        }
        case 't':
            return ParseLiteral("true", JsonValue::MakeBool(true));
        case 'f':
            return ParseLiteral("false", JsonValue::MakeBool(false));
        case 'n':
            return ParseLiteral("null", JsonValue{});
        default:
            if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) {
                return ParseNumber();
            }
            Fail(std::string("unexpected character '") + Printable(Peek()) + "', a value was expected");
            return std::nullopt;
        }
    }

    static std::string Printable(char c)
    {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            return std::string(1, c);
        }
        static const char* const kHex = "0123456789ABCDEF";
        return std::string("\\x") + kHex[u >> 4] + kHex[u & 0xF];
    }

    std::optional<JsonValue> ParseLiteral(std::string_view word, JsonValue value)
    {
        if (text_.substr(pos_, word.size()) != word) {
            Fail("unknown word, expected " + std::string(word));
            return std::nullopt;
        }
        pos_ += word.size();
        return value;
    }

    std::optional<JsonValue> ParseObject(std::size_t depth)
    {
        if (depth >= JsonReader::kMaxDepth) {
            Fail("nesting deeper than " + std::to_string(JsonReader::kMaxDepth));
            return std::nullopt;
        }
        ++pos_;  // '{'
        std::vector<std::string> keys;
        std::vector<JsonValue> values;
        std::unordered_set<std::string> seen;  // a linear search would make big objects quadratic
        SkipWhitespace();
        if (Peek() == '}') {
            ++pos_;
            return JsonValue::MakeObject(std::move(keys), std::move(values));
        }
        while (true) {
            SkipWhitespace();
            if (Peek() != '"') {
                Fail("a member name in double quotes was expected");
                return std::nullopt;
            }
            const std::size_t keyPos = pos_;
            std::optional<std::string> key = ParseString();
            if (!key) {
                return std::nullopt;
            }
            if (!seen.insert(*key).second) {
                pos_ = keyPos;
                Fail("duplicate member \"" + *key + "\"");
                return std::nullopt;
            }
            SkipWhitespace();
            if (Peek() != ':') {
                Fail("':' expected after member name \"" + *key + "\"");
                return std::nullopt;
            }
            ++pos_;
            SkipWhitespace();
            std::optional<JsonValue> value = ParseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            keys.push_back(std::move(*key));
            values.push_back(std::move(*value));
            SkipWhitespace();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            if (Peek() == '}') {
                ++pos_;
                return JsonValue::MakeObject(std::move(keys), std::move(values));
            }
            Fail("',' or '}' expected in object");
            return std::nullopt;
        }
    }

    std::optional<JsonValue> ParseArray(std::size_t depth)
    {
        if (depth >= JsonReader::kMaxDepth) {
            Fail("nesting deeper than " + std::to_string(JsonReader::kMaxDepth));
            return std::nullopt;
        }
        ++pos_;  // '['
        std::vector<JsonValue> items;
        SkipWhitespace();
        if (Peek() == ']') {
            ++pos_;
            return JsonValue::MakeArray(std::move(items));
        }
        while (true) {
            SkipWhitespace();
            std::optional<JsonValue> value = ParseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            items.push_back(std::move(*value));
            SkipWhitespace();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            if (Peek() == ']') {
                ++pos_;
                return JsonValue::MakeArray(std::move(items));
            }
            Fail("',' or ']' expected in array");
            return std::nullopt;
        }
    }

    std::optional<unsigned> ParseHex4()
    {
        if (text_.size() - pos_ < 4) {
            Fail("four hex digits expected after \\u");
            return std::nullopt;
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_];
            unsigned digit = 0;
            if (c >= '0' && c <= '9') {
                digit = static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<unsigned>(c - 'A' + 10);
            } else {
                Fail("four hex digits expected after \\u");
                return std::nullopt;
            }
            value = value * 16 + digit;
            ++pos_;
        }
        return value;
    }

    static void AppendUtf8(std::string& out, std::uint32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One escape after the backslash; appends its UTF-8 form.
    bool ParseEscape(std::string& out)
    {
        if (AtEnd()) {
            Fail("unterminated string");
            return false;
        }
        const char c = text_[pos_++];
        switch (c) {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\b'; return true;
        case 'f': out += '\f'; return true;
        case 'n': out += '\n'; return true;
        case 'r': out += '\r'; return true;
        case 't': out += '\t'; return true;
        case 'u': break;
        default:
            --pos_;
            Fail(std::string("unknown escape \\") + Printable(c));
            return false;
        }
        std::optional<unsigned> first = ParseHex4();
        if (!first) {
            return false;
        }
        std::uint32_t cp = *first;
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            Fail("low surrogate without a high surrogate");
            return false;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (text_.substr(pos_, 2) != "\\u") {
                Fail("high surrogate without a low surrogate");
                return false;
            }
            pos_ += 2;
            std::optional<unsigned> second = ParseHex4();
            if (!second) {
                return false;
            }
            if (*second < 0xDC00 || *second > 0xDFFF) {
                Fail("high surrogate without a low surrogate");
                return false;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*second - 0xDC00);
        }
        AppendUtf8(out, cp);
        return true;
    }

    // Length of the valid UTF-8 sequence starting at pos_, or 0 when it is not valid
    // (overlong forms, surrogates and values above U+10FFFF included).
    std::size_t Utf8SequenceLength() const
    {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text_[pos_ + i]); };
        const unsigned char b0 = byte(0);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            n = 2;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            n = 3;
            cp = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            n = 4;
            cp = b0 & 0x07;
        } else {
            return 0;
        }
        if (text_.size() - pos_ < n) {
            return 0;
        }
        for (std::size_t i = 1; i < n; ++i) {
            if ((byte(i) & 0xC0) != 0x80) {
                return 0;
            }
            cp = (cp << 6) | (byte(i) & 0x3F);
        }
        const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
        const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        if (overlong || surrogate || cp > 0x10FFFF) {
            return 0;
        }
        return n;
    }

    std::optional<std::string> ParseString()
    {
        ++pos_;  // opening quote
        std::string out;
        while (true) {
            if (AtEnd()) {
                Fail("unterminated string");
                return std::nullopt;
            }
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return out;
            }
            if (c == '\\') {
                ++pos_;
                if (!ParseEscape(out)) {
                    return std::nullopt;
                }
                continue;
            }
            if (c < 0x20) {
                Fail("control character in string (use an escape)");
                return std::nullopt;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++pos_;
                continue;
            }
            const std::size_t n = Utf8SequenceLength();
            if (n == 0) {
                Fail("invalid UTF-8 in string");
                return std::nullopt;
            }
            out.append(text_.substr(pos_, n));
            pos_ += n;
        }
    }

    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    std::optional<JsonValue> ParseNumber()
    {
        const std::size_t start = pos_;
        bool integral = true;
        if (Peek() == '-') {
            ++pos_;
        }
        if (Peek() == '0') {
            ++pos_;
            if (IsDigit(Peek())) {
                Fail("leading zeros are not allowed in numbers");
                return std::nullopt;
            }
        } else if (IsDigit(Peek())) {
            while (IsDigit(Peek())) {
                ++pos_;
            }
        } else {
            Fail("digit expected in number");
            return std::nullopt;
        }
        if (Peek() == '.') {
            integral = false;
            ++pos_;
            if (!IsDigit(Peek())) {
                Fail("digit expected after decimal point");
                return std::nullopt;
            }
            while (IsDigit(Peek())) {
                ++pos_;
            }
        }
        if (Peek() == 'e' || Peek() == 'E') {
            integral = false;
            ++pos_;
            if (Peek() == '+' || Peek() == '-') {
                ++pos_;
            }
            if (!IsDigit(Peek())) {
                Fail("digit expected in exponent");
                return std::nullopt;
            }
            while (IsDigit(Peek())) {
                ++pos_;
            }
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        double value = 0.0;
        const auto [dEnd, dErr] = std::from_chars(first, last, value);
        if (dErr != std::errc{} || dEnd != last) {
            pos_ = start;
            Fail("number out of range");
            return std::nullopt;
        }
        std::optional<std::int64_t> integer;
        if (integral) {
            std::int64_t i = 0;
            const auto [iEnd, iErr] = std::from_chars(first, last, i);
            if (iErr == std::errc{} && iEnd == last) {
                integer = i;
            }
        }
        return JsonValue::MakeNumber(value, integer);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    JsonError error_;
};

}  // namespace

std::optional<JsonValue> JsonReader::Parse(std::string_view text, JsonError& error)
{
    Parser parser(text);
    return parser.ParseDocument(error);
}

}  // namespace quorfw
