#pragma once

#include <cstdint>
#include <span>

#include "userdata/UserDataRecord.h"
#include "userdata/UserDataRecordNew.h"

namespace quorfw {

class BusSession;

// Reads and writes of the unit's data: the user list, the access log, the unit data
// blocks and the page area. Reads fill the session's lists and blocks; nothing in the
// session changes beyond what answers already delivered when a read fails.

// Appends the unit's users to the session list of its record format (18-byte records from
// version 2017503 on, else 16-byte). An empty list is a successful read.
[[nodiscard]] bool ReadUserList(BusSession& session);

// Appends the access log records. A log whose first answer is already empty fails.
[[nodiscard]] bool ReadLogList(BusSession& session);

// One unit data block by its read selector: 2 (40 bytes), 3 (104), 4 (17 or 33 by the
// unit's version; any answer but a refusal is taken), 8 (1) or 9 (161). Other selectors fail.
[[nodiscard]] bool ReadDataBlock(BusSession& session, std::uint32_t selector);

// The 1188-byte page area, page by page as the unit hands them out. True when at least one
// page came.
[[nodiscard]] bool ReadPageArea(BusSession& session);

// One unit data block by its write selector: 3 (40 bytes), 4 (104), 5 (17 or 33), 8 (1) or
// 9 (161). A block of another size, or another selector, is refused without sending.
[[nodiscard]] bool WriteDataBlock(BusSession& session, std::uint32_t selector, std::span<const std::uint8_t> block);

// One batch of user records (possibly empty). A batch that does not fit one request is
// refused without sending.
[[nodiscard]] bool WriteUsers(BusSession& session, std::span<const USERDATARECORD> records);
[[nodiscard]] bool WriteUsers(BusSession& session, std::span<const USERDATARECORDNEW> records);

// The page area as three pages of 512, 512 and 164 bytes.
[[nodiscard]] bool WritePageArea(BusSession& session, std::span<const std::uint8_t, 1188> area);

}  // namespace quorfw
