#include "app/UiFormat.h"

#include <charconv>
#include <optional>

namespace quorfw {

namespace {

struct Conversion {
    bool leftAlign = false;
    bool zeroPad = false;
    int width = 0;
    char kind = 0;           // normalised letter: s d u x c, or '%' for "%%"
    bool upperCase = false;  // %X
    std::size_t length = 0;  // characters of the format it spans, '%' included
};

// Parses the conversion that starts at format[0] == '%'; nullopt when it is not one we know.
std::optional<Conversion> ParseConversion(std::string_view format)
{
    Conversion c;
    std::size_t i = 1;
    if (i < format.size() && format[i] == '%') {
        c.kind = '%';
        c.length = 2;
        return c;
    }
    for (; i < format.size() && (format[i] == '-' || format[i] == '0'); ++i) {
        if (format[i] == '-')
            c.leftAlign = true;
        else
            c.zeroPad = true;
    }
    const std::size_t widthStart = i;
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
        if (i - widthStart == 2)
            return std::nullopt;
        c.width = c.width * 10 + (format[i] - '0');
    }
    for (int modifiers = 0; i < format.size() && (format[i] == 'l' || format[i] == 'h') && modifiers < 2; ++modifiers)
        ++i;
    if (i >= format.size())
        return std::nullopt;
    switch (format[i]) {
    case 's': c.kind = 's'; break;
    case 'd':
    case 'i': c.kind = 'd'; break;
    case 'u': c.kind = 'u'; break;
    case 'x': c.kind = 'x'; break;
    case 'X':
        c.kind = 'x';
        c.upperCase = true;
        break;
    case 'c': c.kind = 'c'; break;
    default: return std::nullopt;
    }
    c.length = i + 1;
    return c;
}

template <typename T>
std::string ToChars(T value, int base, bool upperCase)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
    std::string text(buffer, result.ptr);
    if (upperCase) {
        for (char& ch : text) {
            if (ch >= 'a' && ch <= 'f')
                ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return text;
}

// %u and %x of a negative number show it as C would for a 32-bit int, when it fits one.
std::uint64_t AsUnsigned(std::int64_t value)
{
    if (value >= INT32_MIN)
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    return static_cast<std::uint64_t>(value);
}

std::string Render(const Conversion& c, const UiArg* arg)
{
    if (arg == nullptr)
        return {};
    const auto& value = arg->Value();
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    const bool isSigned = std::holds_alternative<std::int64_t>(value);
    const std::int64_t s = isSigned ? std::get<std::int64_t>(value) : 0;
    const std::uint64_t u = isSigned ? 0 : std::get<std::uint64_t>(value);
    switch (c.kind) {
    case 'c': {
        const std::uint64_t code = isSigned ? static_cast<std::uint64_t>(s) : u;
        return code > 0 && code < 0x80 ? std::string(1, static_cast<char>(code)) : std::string();
    }
    case 'u': return ToChars(isSigned ? AsUnsigned(s) : u, 10, false);
    case 'x': return ToChars(isSigned ? AsUnsigned(s) : u, 16, c.upperCase);
    default: return isSigned ? ToChars(s, 10, false) : ToChars(u, 10, false);
    }
}

void AppendPadded(std::string& out, const std::string& field, const Conversion& c, bool numeric)
{
    const std::size_t width = static_cast<std::size_t>(c.width);
    if (field.size() >= width) {
        out += field;
        return;
    }
    const std::size_t pad = width - field.size();
    if (c.leftAlign) {
        out += field;
        out.append(pad, ' ');
    } else if (c.zeroPad && numeric && c.kind != 'c') {
        std::size_t signLength = !field.empty() && field[0] == '-' ? 1 : 0;
        out.append(field, 0, signLength);
        out.append(pad, '0');
        out.append(field, signLength);
    } else {
        out.append(pad, ' ');
        out += field;
    }
}

}  // namespace

std::string FormatUiText(std::string_view format, std::initializer_list<UiArg> args)
{
    std::string out;
    out.reserve(format.size() + 32);
    const UiArg* next = args.begin();
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            out.push_back(format[i++]);
            continue;
        }
        const auto conversion = ParseConversion(format.substr(i));
        if (!conversion) {
            out.push_back(format[i++]);
            continue;
        }
        i += conversion->length;
        if (conversion->kind == '%') {
            out.push_back('%');
            continue;
        }
        const UiArg* arg = next != args.end() ? next++ : nullptr;
        const bool numeric = arg != nullptr && !std::holds_alternative<std::string>(arg->Value());
        AppendPadded(out, Render(*conversion, arg), *conversion, numeric);
    }
    return out;
}

std::string UiPlaceholders(std::string_view format)
{
    std::string kinds;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            ++i;
            continue;
        }
        const auto conversion = ParseConversion(format.substr(i));
        if (!conversion) {
            ++i;
            continue;
        }
        i += conversion->length;
        if (conversion->kind != '%')
            kinds.push_back(conversion->kind);
    }
    return kinds;
}

}  // namespace quorfw
