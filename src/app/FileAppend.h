#pragma once

#include <filesystem>
#include <string_view>

namespace quorfw {

// Appends bytes to a file, creating it when missing; opened, written and closed within the
// call with one append write, so entries of two threads do not mix. False when the file
// cannot be opened or not everything was written.
[[nodiscard]] bool AppendToFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace quorfw
