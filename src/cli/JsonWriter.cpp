#include "cli/JsonWriter.h"

#include "app/Utf8.h"

#include <cstdio>

namespace quorfw {

namespace {

void AppendEscaped(std::string& out, std::string_view text)
{
    out += '"';
    while (!text.empty()) {
        const std::size_t length = Utf8CharacterLength(text);
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
