#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace quorfw {

// The trace of a backup file being read for a restore, one line per step.
inline constexpr std::string_view kBackupTraceFileName = "Backup.log";

// Where the reader's trace lines go (without their line end).
using BackupTraceSink = std::function<void(std::string_view line)>;

// Appends text and CR LF to "Backup.log" in folder (empty: the working directory), opening
// and closing the file for the one line. A line that cannot be appended is dropped.
void AppendBackupTrace(std::string_view text, const std::filesystem::path& folder = {});

// A sink that appends every line to "Backup.log" in folder (empty: the working directory).
[[nodiscard]] BackupTraceSink BackupTraceFileSink(std::filesystem::path folder = {});

}  // namespace quorfw
