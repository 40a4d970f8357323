#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "userdata/UserDataSet.h"

namespace quorfw {

// Checks that a backup file read back (with ReadBackupFile, told the unit takes the file's
// own format) holds what was read from the unit: the unit blocks of the format, and in order
// every user the file keeps, with its record (the name's last byte always reads as 0) and
// the templates of its slots. Nothing when it does; otherwise the first difference, for a
// log line ("user 7: template slot 3 is missing").
// What the file format itself cannot carry back is not a difference: a user none of whose
// announced templates could be read from the unit (written without a template block) and a
// template of 2000 data bytes or more (its block is skipped when read).
[[nodiscard]] std::optional<std::string> BackupDifference(const UserDataSet& fromUnit, const UserDataSet& readBack,
                                                          std::uint8_t formatByte);

}  // namespace quorfw
