#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "userdata/BackupTrace.h"
#include "userdata/FileWriteResult.h"
#include "userdata/UserDataSet.h"

namespace quorfw {

// Backup file: the format byte, then blocks of a 16-bit tag, a 16-bit length and that many
// bytes: unit blocks 1, 2, 3, 4 (tags 1-4), in the newer format blocks 9 and 10, then for
// every user that announces a template its record (tag 5) and its templates in slot order
// (tag 6, the whole template buffer). No count, no end marker.
inline constexpr std::uint16_t kBackupUserTag = 5;
inline constexpr std::uint16_t kBackupTemplateTag = 6;
// Template blocks of this length or more are skipped when a file is read: a module
// delivers at most 2000 template bytes, so a longer block cannot be written back.
inline constexpr std::size_t kBackupTemplateBlockLimit = 2000;

// The file a backup of set in this format (kBackupFormatOlder/Newer) consists of; empty when
// the format byte is neither, or a template buffer is not well formed (length head equal to
// its size, slot byte equal to its slot), so a file is never written that reads back other
// than it was meant.
[[nodiscard]] std::vector<std::uint8_t> BackupFileBytes(const UserDataSet& set, std::uint8_t formatByte);

// Writes BackupFileBytes to path through a temporary file in path's folder that replaces
// path only once complete. The set is not changed.
[[nodiscard]] FileWriteResult WriteBackupFile(const std::filesystem::path& path, const UserDataSet& set,
                                              std::uint8_t formatByte);

enum class BackupReadOutcome {
    Read,                   // the blocks and users were read
    CannotOpen,             // the file could not be opened (no trace line is written)
    FormatError,            // see the reader; users read before the fault stay in the list
    NewerFileForOlderUnit,  // a format-2 file and a unit that takes only format 1; nothing read
};

struct BackupReadResult {
    BackupReadOutcome outcome = BackupReadOutcome::CannotOpen;
    // The file's format byte once it was read (1 or 2), else 0.
    std::uint8_t formatByte = 0;
};

// Reads a backup file into set for a unit that takes the newer format or not: fills the
// unit blocks (a format-1 file for a newer unit also gets the 33-byte form of block 2, the
// 17 bytes then zeros) and appends the users that have a template block to set.users (the
// caller empties it first). For a format-1 file each user gets both records, the newer one
// with a zero extra mask. Traces every step to "Backup.log" in traceFolder (empty: the
// working directory).
[[nodiscard]] BackupReadResult ReadBackupFile(const std::filesystem::path& path, bool unitTakesNewerFormat,
                                              UserDataSet& set, const std::filesystem::path& traceFolder = {});

// The same on the bytes of a file already in memory, tracing to trace (which may be empty).
[[nodiscard]] BackupReadResult ReadBackupBytes(std::span<const std::uint8_t> file, bool unitTakesNewerFormat,
                                               UserDataSet& set, const BackupTraceSink& trace);

}  // namespace quorfw
