#pragma once

#include <string>
#include <string_view>

namespace quorfw {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Calls visit(codePointBytes) for each well-formed character and visit("\xEF\xBF\xBD")
// (U+FFFD) for each byte that does not start one.
template <typename Visit>
void ForEachUtf8Character(std::string_view text, Visit&& visit);

// The text with every ill-formed byte replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// Length in bytes of the well-formed character at the start of text, 0 when there is none.
std::size_t Utf8CharacterLength(std::string_view text);

template <typename Visit>
void ForEachUtf8Character(std::string_view text, Visit&& visit)
{
    while (!text.empty()) {
        const std::size_t length = Utf8CharacterLength(text);
        if (length == 0) {
            visit(std::string_view("\xEF\xBF\xBD"));
            text.remove_prefix(1);
        } else {
            visit(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
}

}  // namespace quorfw
