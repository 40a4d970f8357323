#pragma once

#include <cstdint>

namespace quorfw {

// What the last backup, export or restore did, for the front ends to report after the
// user list is gone. Written by the worker before it ends the operation.
struct UserDataOutcome {
    // Backup: the file's format byte (1 or 2), 0 when no file was written.
    std::uint8_t format = 0;
    // Backup: users and templates written into the file.
    std::uint32_t users = 0;
    std::uint32_t templates = 0;
    // Export: log records written into the CSV file.
    std::uint32_t records = 0;
    // The message the operation ended with (0: none).
    std::uint32_t message = 0;
};

}  // namespace quorfw
