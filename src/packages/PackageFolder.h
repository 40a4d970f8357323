#pragma once

#include <filesystem>
#include <vector>

#include "packages/UpdateFile.h"

namespace quorfw {

// Loads every package file ("*.qup", the extension in any letter case, regular files
// only) of a folder for display and selection, that is with `infoOnly` set. Files are
// taken in the order the folder lists them, unsorted; files that fail to load are left
// out without a word. A missing or unreadable folder gives an empty list.
[[nodiscard]] std::vector<UpdateFile> LoadPackageFolder(const std::filesystem::path& folder);

}  // namespace quorfw
