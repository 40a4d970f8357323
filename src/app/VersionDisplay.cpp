#include "app/VersionDisplay.h"

#include "app/LanguageFile.h"
#include "app/UiLanguage.h"
#include "common/ProgramVersion.h"

namespace quorfw {

namespace {

constexpr std::string_view kProgramFileName = "quorfwupdate";

void AppendLine(std::string& text, std::string_view fileName, std::string_view version)
{
    text += fileName;
    text += " Version: ";
    text += version;
    text += "\r\n";
}

}  // namespace

std::string BuildVersionDisplayText(std::string_view programVersion, std::string_view germanFileVersion,
                                    std::string_view englishFileVersion)
{
    std::string text;
    AppendLine(text, kProgramFileName, programVersion);
    AppendLine(text, kGermanLanguage.fileName, germanFileVersion);
    AppendLine(text, kEnglishLanguage.fileName, englishFileVersion);
    return text;
}

std::string VersionDisplayText(const std::filesystem::path& languageFolder)
{
    return BuildVersionDisplayText(kProgramVersion,
                                   ReadLanguageFileVersion(languageFolder / kGermanLanguage.fileName),
                                   ReadLanguageFileVersion(languageFolder / kEnglishLanguage.fileName));
}

}  // namespace quorfw
