#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "userdata/FileWriteResult.h"

namespace quorfw {

// Writes bytes to a new file beside target, flushes it to disk and only then renames it over
// target. An interrupted or failed write never leaves a half file under target's name, and
// an earlier file of that name survives a failure; the temporary file is removed.
[[nodiscard]] FileWriteResult WriteFileAtomically(const std::filesystem::path& target,
                                                  std::span<const std::uint8_t> bytes);

}  // namespace quorfw
