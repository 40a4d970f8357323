#pragma once

#include <string>
#include <string_view>

#include "app/Environment.h"

namespace quorfw {

// One user-interface language: its language file and the suffix of its help file.
struct UiLanguage {
    std::string_view code;        // "de", "hu", "it", "en"
    std::string_view fileName;    // language file in the language folder
    std::string_view helpSuffix;  // appended to the help file stem
};

inline constexpr UiLanguage kGermanLanguage{"de", "quorfwupdateresde.lang", "DE.html"};
inline constexpr UiLanguage kHungarianLanguage{"hu", "quorfwupdatereshu.lang", "HU.html"};
inline constexpr UiLanguage kItalianLanguage{"it", "quorfwupdateresit.lang", "IT.html"};
inline constexpr UiLanguage kEnglishLanguage{"en", "quorfwupdateresen.lang", "EN.html"};

inline constexpr std::string_view kHelpFileStem = "quorFWupdate";

// The locale that decides the language: the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty; empty when none is.
std::string LocaleNameFromEnvironment(const EnvironmentLookup& env);

// Only the primary language counts ("de_CH.UTF-8" is German); anything that is not German,
// Hungarian or Italian, "C" and "POSIX" included, is English.
UiLanguage SelectUiLanguage(std::string_view localeName);

// "quorFWupdate" followed by the language's help suffix.
std::string HelpFileName(const UiLanguage& language);

}  // namespace quorfw
