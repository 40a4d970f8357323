#include "app/UiLanguage.h"

#include <array>

namespace quorfw {

std::string LocaleNameFromEnvironment(const EnvironmentLookup& env)
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto value = env(name); value && !value->empty())
            return *value;
    }
    return {};
}

namespace {

// "de_CH.UTF-8" -> "de": the part before territory, code set and modifier, lower case.
std::string PrimaryLanguage(std::string_view localeName)
{
    std::string primary;
    for (char c : localeName) {
        if (c == '_' || c == '.' || c == '@' || c == '-')
            break;
        primary.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return primary;
}

}  // namespace

UiLanguage SelectUiLanguage(std::string_view localeName)
{
    const std::string primary = PrimaryLanguage(localeName);
    for (const UiLanguage& language : std::array{kGermanLanguage, kHungarianLanguage, kItalianLanguage}) {
        if (primary == language.code)
            return language;
    }
    return kEnglishLanguage;
}

std::string HelpFileName(const UiLanguage& language)
{
    return std::string(kHelpFileStem) + std::string(language.helpSuffix);
}

}  // namespace quorfw
