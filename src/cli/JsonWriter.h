#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// Builds one JSON text. Commas and nesting are kept track of; strings are escaped and any
// byte sequence that is not UTF-8 (a serial number or module name as a station sent it)
// becomes U+FFFD, so the output is always valid JSON.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view text);
    JsonWriter& Int(std::int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    [[nodiscard]] const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    std::string text_;
    // One entry per open object or array: whether it holds a value yet.
    std::vector<bool> hasValue_;
    bool afterKey_ = false;
};

// The text as a quoted JSON string.
[[nodiscard]] std::string JsonQuote(std::string_view text);

}  // namespace quorfw
