#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/LocalDateTime.h"

namespace quorfw {

class Clock;

inline constexpr std::string_view kUpdateLogFileName = "UpdateLog.txt";

// One log entry: the local date and time, '-', the text. No line break is added; the log
// texts carry their own.
std::string FormatLogEntry(WallClockTime time, std::string_view text);

// The running log of what the tool did, "UpdateLog.txt" in the package folder, UTF-8.
// Written by every operation from any thread; never truncated here.
class UpdateLog {
public:
    UpdateLog(std::filesystem::path packageFolder, Clock& clock);

    // Appends one time-stamped entry; false when the file cannot be written (callers go on).
    [[nodiscard]] bool AppendUpdateLog(std::string_view text) const;

    std::filesystem::path FilePath() const { return folder_ / kUpdateLogFileName; }

private:
    std::filesystem::path folder_;
    Clock& clock_;
};

}  // namespace quorfw
