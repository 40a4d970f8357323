#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "userdata/UserDataSet.h"

namespace quorfw {

// Checks that a backup file read back (with ReadBackupFile, told the unit takes the file's
// own format) holds what was read from the unit: the unit blocks of the format, and every
// user that announces a template, in order, with its record (the name's last byte is
// always read as 0) and every template of its slots. Nothing when it does; otherwise the
// first difference, for a log line ("user 7: template slot 3 missing"). A user whose
// templates could not all be kept (none read from the unit, or one of 2000 data bytes that
// a restore skips) is a difference: that file cannot restore what the unit held.
[[nodiscard]] std::optional<std::string> BackupDifference(const UserDataSet& fromUnit, const UserDataSet& readBack,
                                                          std::uint8_t formatByte);

}  // namespace quorfw
