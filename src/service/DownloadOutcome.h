#pragma once

#include <cstdint>
#include <vector>

#include "app/LocalDateTime.h"

namespace quorfw {

class SettingsStore;

// The messages that tell the user how a download run ended, in the order they are shown:
// the program update first when there was one, then exactly one of service unreachable,
// new packages downloaded, nothing new.
[[nodiscard]] std::vector<std::uint32_t> DownloadOutcomeMessages(int downloadResult, bool programUpdated);

// Stores the time of this update check as "LastUpdate", in the form the start-up reminder
// reads back. Written after every run, also one that could not reach the service.
[[nodiscard]] bool WriteLastUpdate(SettingsStore& settings, WallClockTime now);

}  // namespace quorfw
