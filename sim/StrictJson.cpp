#include "sim/StrictJson.h"

#include <iterator>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quorfw {

std::string JsonError::ToText() const
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

namespace {

// The line and column of the byte at offset (which may be the end of the text).
JsonError ErrorAt(std::string_view text, std::size_t offset, std::string message)
{
    JsonError error;
    error.message = std::move(message);
    error.line = 1;
    error.column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++error.line;
            error.column = 1;
        } else {
            ++error.column;
        }
    }
    return error;
}

// Hands the text to the parser byte by byte and remembers how far it has read, so that a
// check made while parsing can say where the parser stood.
class TrackedIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackedIterator() = default;
    TrackedIterator(const char* at, const char** furthest) : at_(at), furthest_(furthest) {}

    reference operator*() const { return *at_; }
    TrackedIterator& operator++()
    {
        ++at_;
        if (furthest_ != nullptr && at_ > *furthest_) {
            *furthest_ = at_;
        }
        return *this;
    }
    TrackedIterator operator++(int)
    {
        TrackedIterator before = *this;
        ++*this;
        return before;
    }
    friend bool operator==(const TrackedIterator& a, const TrackedIterator& b) { return a.at_ == b.at_; }

private:
    const char* at_ = nullptr;
    const char** furthest_ = nullptr;
};

// The offset of the quote that opens the string whose closing quote is at closing.
std::size_t OpeningQuote(std::string_view text, std::size_t closing)
{
    for (std::size_t i = closing; i-- > 0;) {
        if (text[i] != '"') {
            continue;
        }
        std::size_t backslashes = 0;
        while (backslashes < i && text[i - 1 - backslashes] == '\\') {
            ++backslashes;
        }
        if (backslashes % 2 == 0) {
            return i;
        }
    }
    return 0;
}

// What the library says, without its own prefix ("[json.exception.parse_error.101] parse
// error at line 1, column 3: "): the place is given in our own form.
std::string LibraryMessage(const std::string& what)
{
    std::string message = what;
    if (const std::size_t bracket = message.find("] "); message.rfind("[json.exception.", 0) == 0 &&
                                                         bracket != std::string::npos) {
        message.erase(0, bracket + 2);
    }
    if (message.rfind("parse error", 0) == 0) {
        if (const std::size_t colon = message.find(": "); colon != std::string::npos) {
            message.erase(0, colon + 2);
        }
    }
    return message;
}

// A pass over the parser's events for what the library itself lets through: the same
// member name twice in one object, and nesting beyond the limit.
class StrictnessCheck : public nlohmann::json_sax<nlohmann::ordered_json> {
public:
    StrictnessCheck(std::string_view text, const char* const* furthest) : text_(text), furthest_(furthest) {}

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }

    bool start_object(std::size_t) override
    {
        objects_.emplace_back();
        return Open();
    }
    bool end_object() override
    {
        objects_.pop_back();
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override { return Open(); }
    bool end_array() override
    {
        --depth_;
        return true;
    }

    bool key(string_t& name) override
    {
        if (objects_.back().insert(name).second) {
            return true;
        }
        // The parser has just read the closing quote of the name.
        error_ = ErrorAt(text_, OpeningQuote(text_, Read() - 1), "duplicate member \"" + name + "\"");
        return false;
    }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
    {
        // position counts the bytes read, the offending one included.
        error_ = ErrorAt(text_, position > 0 ? position - 1 : 0, LibraryMessage(e.what()));
        return false;
    }

    [[nodiscard]] const JsonError& error() const { return error_; }

private:
    std::size_t Read() const { return static_cast<std::size_t>(*furthest_ - text_.data()); }

    bool Open()
    {
        if (++depth_ <= StrictJson::kMaxDepth) {
            return true;
        }
        // The parser has just read the opening bracket.
        error_ = ErrorAt(text_, Read() - 1, "nesting deeper than " + std::to_string(StrictJson::kMaxDepth));
        return false;
    }

    std::string_view text_;
    const char* const* furthest_;
    std::size_t depth_ = 0;
    // One set of names per open object; a linear search would make big objects quadratic.
    std::vector<std::unordered_set<std::string>> objects_;
    JsonError error_;
};

}  // namespace

std::optional<nlohmann::ordered_json> StrictJson::Parse(std::string_view text, JsonError& error)
{
    // The library skips a byte order mark; a UTF-8 file has no need of one.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        error = ErrorAt(text, 0, "a byte order mark is not allowed");
        return std::nullopt;
    }
    const char* furthest = text.data();
    StrictnessCheck check(text, &furthest);
    const bool ok = nlohmann::ordered_json::sax_parse(TrackedIterator(text.data(), &furthest),
                                                      TrackedIterator(text.data() + text.size(), nullptr), &check,
                                                      nlohmann::json::input_format_t::json, true, false);
    if (!ok) {
        error = check.error();
        return std::nullopt;
    }
    nlohmann::ordered_json value = nlohmann::ordered_json::parse(text, nullptr, false, false);
    if (value.is_discarded()) {
        error = ErrorAt(text, 0, "not a JSON document");
        return std::nullopt;
    }
    return value;
}

}  // namespace quorfw
