#include "app/cli/JsonWriter.h"

#include <cstdio>

namespace quorfw {

namespace {

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 when it is not one
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    out += '"';
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        if (length > 1) {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        const char ch = text.front();
        text.remove_prefix(1);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(ch) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(ch));
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

}  // namespace

std::string JsonQuote(std::string_view text)
{
    std::string out;
    AppendEscaped(out, text);
    return out;
}

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasValue_.empty()) {
        if (hasValue_.back()) {
            text_ += ',';
        }
        hasValue_.back() = true;
    }
}

void JsonWriter::Open(char bracket)
{
    BeforeValue();
    text_ += bracket;
    hasValue_.push_back(false);
}

void JsonWriter::Close(char bracket)
{
    if (!hasValue_.empty()) {
        hasValue_.pop_back();
    }
    text_ += bracket;
}

JsonWriter& JsonWriter::BeginObject()
{
    Open('{');
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    Open('[');
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    AppendEscaped(text_, name);
    text_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text)
{
    BeforeValue();
    AppendEscaped(text_, text);
    return *this;
}

JsonWriter& JsonWriter::Int(std::int64_t value)
{
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    text_ += "null";
    return *this;
}

}  // namespace quorfw
