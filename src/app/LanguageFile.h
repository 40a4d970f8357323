#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// One language file: UTF-8 text, one "ID<TAB>text" per line, with the escapes \n, \r, \t and
// \\ inside the text. Lines starting with '#' are comments, except "#version a.b.c.d", which
// gives the file's version for the about display.
struct LanguageFile {
    std::string version;
    std::map<std::uint32_t, std::string> texts;
    // What a translator should fix: malformed lines, duplicate IDs, unknown escapes, bytes
    // that are not UTF-8. The loader still uses what could be read.
    std::vector<std::string> problems;
};

// Language files are small; anything larger is not one of ours.
inline constexpr std::uintmax_t kMaxLanguageFileBytes = 1024 * 1024;

LanguageFile ParseLanguageFile(std::string_view content);

// nullopt when the file is missing, unreadable or larger than kMaxLanguageFileBytes.
std::optional<LanguageFile> ReadLanguageFile(const std::filesystem::path& file);

// The version line of a language file; empty when the file or the line is missing.
std::string ReadLanguageFileVersion(const std::filesystem::path& file);

}  // namespace quorfw
