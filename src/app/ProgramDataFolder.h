#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace quorfw {

// The installed data folder, relative to the program's folder: bin/quorfwupdate reads its
// language files and help pages from share/quorfwupdate/ beside bin/.
inline constexpr std::string_view kInstalledDataFolder = "../share/quorfwupdate";

// Where the program's own files are looked for, in this order: the program's folder (a build
// tree keeps them there), then the installed data folder. Only the program's folder when it
// is unknown (empty), so nothing is looked for relative to the working directory.
[[nodiscard]] std::vector<std::filesystem::path> ProgramDataFolders(const std::filesystem::path& programFolder);

// The first existing entry named relativePath in those folders; in the program's folder when
// none exists, so that a message about a missing file names the first place looked in.
[[nodiscard]] std::filesystem::path FindProgramDataFile(const std::filesystem::path& programFolder,
                                                        const std::filesystem::path& relativePath);

}  // namespace quorfw
