#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorfw {

// The about text: three lines, each ended by CR LF, with the program's version and the
// versions of the German and the English language files (the other languages are not listed).
// A missing file or version line leaves its version empty while the label stays.
std::string BuildVersionDisplayText(std::string_view programVersion, std::string_view germanFileVersion,
                                    std::string_view englishFileVersion);

// The same with the compiled-in program version and the language files in languageFolder.
std::string VersionDisplayText(const std::filesystem::path& languageFolder);

}  // namespace quorfw
