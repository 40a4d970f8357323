#pragma once

#include <filesystem>
#include <string_view>

#include "app/UiLanguage.h"

namespace quorfw {

// Files of the tool's former name that are copied to the current name at start, in this order.
struct RenamedFile {
    std::string_view oldName;
    std::string_view newName;
};
// The help files keep their names. The former program file has no counterpart here: there
// never was a program of the old name on this platform, so nothing of it is copied.
inline constexpr RenamedFile kRenamedFiles[] = {
    {"oldFWupdateDE.html", "quorFWupdateDE.html"},
    {"oldFWupdateEN.html", "quorFWupdateEN.html"},
};

// Copies each old-named file in folder (the working directory) to its new name, replacing an
// existing target. Failures (no source, target not writable) are ignored one by one.
void CopyRenamedFiles(const std::filesystem::path& folder);

// The folder that holds the running program; empty when it cannot be found.
std::filesystem::path ProgramFolder();

// Where the language files are looked for: "lang" beside the program, else the one in the
// installed data folder (see ProgramDataFolder.h).
std::filesystem::path LanguageFolder(const std::filesystem::path& programFolder);

// The help file beside the program, else the one in the installed data folder, named by the
// language of the locale alone.
std::filesystem::path HelpFilePath(const std::filesystem::path& programFolder, const UiLanguage& language);

}  // namespace quorfw
