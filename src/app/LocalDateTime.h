#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorfw {

using WallClockTime = std::chrono::system_clock::time_point;

// "dd.mm.yyyy hh:mm:ss" in the local time zone: the date and time form of the update log and
// of the "LastUpdate" setting.
std::string FormatLocalDateTime(WallClockTime time);

// Reads a local date and time back, as the calendar fields it names (no time zone applied).
// Accepted: "d.m.yyyy" and "yyyy-mm-dd" (also with 'T'), each optionally followed by "h:mm"
// or "h:mm:ss". nullopt for anything else and for dates or times that do not exist.
std::optional<std::chrono::local_seconds> ParseLocalDateTime(std::string_view text);

// The local calendar fields of a moment, in the local time zone.
std::chrono::local_seconds ToLocalDateTime(WallClockTime time);

// The moment that local calendar fields name in the local time zone (summer time decided by
// the zone); nullopt when the zone cannot tell.
std::optional<WallClockTime> FromLocalDateTime(std::chrono::local_seconds local);

}  // namespace quorfw
