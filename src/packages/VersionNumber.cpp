#include "packages/VersionNumber.h"

#include <cstdio>

namespace quorfw {

namespace {

std::uint32_t LeadingDecimalValue(std::string_view part)
{
    std::uint32_t value = 0;
    for (const char ch : part) {
        if (ch < '0' || ch > '9') {
            break;
        }
        value = value * 10 + static_cast<std::uint32_t>(ch - '0');
    }
    return value;
}

}  // namespace

std::uint32_t VersionToInt(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    std::uint32_t number = 0;
    for (;;) {
        const std::size_t dot = text.find('.');
        number = number * 100 + LeadingDecimalValue(text.substr(0, dot));
        if (dot == std::string_view::npos) {
            return number;
        }
        text.remove_prefix(dot + 1);
    }
}

std::string VersionText(std::uint32_t version)
{
    if (version == 0) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", version / 1000000, version / 10000 % 100, version / 100 % 100,
                  version % 100);
    return text;
}

}  // namespace quorfw
