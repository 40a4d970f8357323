#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace quorfw {

// The command line's JSON output: members in the order they were added.
using CliJson = nlohmann::ordered_json;

// One value as one line of output, without the line break. Compact, and any byte sequence
// that is not UTF-8 (a serial number or module name as a station sent it) becomes U+FFFD,
// so the line is always valid JSON.
[[nodiscard]] inline std::string JsonLine(const CliJson& value)
{
    return value.dump(-1, ' ', false, CliJson::error_handler_t::replace);
}

}  // namespace quorfw
