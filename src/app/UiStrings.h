#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/UiFormat.h"
#include "app/UiTexts.h"

namespace quorfw {

// The process's one text table. Every operation, on any thread, asks it for texts by ID
// (LoadUiString), so it is set up once at start by the program and never replaced; handing a
// UiTexts down to every worker instead would thread one more parameter through every layer
// for a table that cannot change.

// Sets up the table from the language folder and the environment's locale. Only the first
// call of a process does anything; it returns true, later calls return false.
bool SetUpUiStrings(const std::filesystem::path& languageFolder);
bool SetUpUiStrings(const std::filesystem::path& languageFolder, const std::string& localeName);

// The table, or null before SetUpUiStrings.
const UiTexts* ProcessUiTexts();

// The text of string id; empty before set-up, when no language file could be loaded, or when
// the file does not hold id.
std::string LoadUiString(std::uint32_t id);

// LoadUiString(id) with its %-conversions filled from args (see FormatUiText).
template <typename... Args>
std::string FormatUiString(std::uint32_t id, const Args&... args)
{
    return FormatUiText(LoadUiString(id), {UiArg(args)...});
}

}  // namespace quorfw
