#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace quorfw {

// One argument of a text format: a string or an integer.
class UiArg {
public:
    UiArg(std::string_view text) : value_(std::string(text)) {}
    UiArg(const std::string& text) : value_(text) {}
    UiArg(const char* text) : value_(std::string(text ? text : "")) {}
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    UiArg(T number)
    {
        if constexpr (std::is_signed_v<T>)
            value_ = static_cast<std::int64_t>(number);
        else
            value_ = static_cast<std::uint64_t>(number);
    }

    const std::variant<std::string, std::int64_t, std::uint64_t>& Value() const { return value_; }

private:
    std::variant<std::string, std::int64_t, std::uint64_t> value_;
};

// printf-style substitution for the texts of the language files, without printf's undefined
// behaviour: %s, %d, %i, %u, %x, %X and %c with optional '-'/'0' flags, a width up to 99 and
// ignored length modifiers (h, l); "%%" is a percent sign. A conversion without an argument
// gives nothing, surplus arguments are ignored, an argument of the other kind is shown as it
// is (a number for %s in decimal, a string for %d verbatim), and anything else after '%' is
// copied literally.
std::string FormatUiText(std::string_view format, std::initializer_list<UiArg> args);

// The conversions of a format in order, one letter each ('s', 'd', 'u', 'x', 'c'; %i counts as
// 'd' and %X as 'x'), so that translations can be checked against each other.
std::string UiPlaceholders(std::string_view format);

}  // namespace quorfw
