#include "app/StartupFiles.h"

#include <system_error>

#include "app/ProgramDataFolder.h"

namespace quorfw {

void CopyRenamedFiles(const std::filesystem::path& folder)
{
    for (const RenamedFile& file : kRenamedFiles) {
        std::error_code ignored;
        std::filesystem::copy_file(folder / file.oldName, folder / file.newName,
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }
}

std::filesystem::path ProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return program.parent_path();
}

std::filesystem::path LanguageFolder(const std::filesystem::path& programFolder)
{
    return FindProgramDataFile(programFolder, "lang");
}

std::filesystem::path HelpFilePath(const std::filesystem::path& programFolder, const UiLanguage& language)
{
    return FindProgramDataFile(programFolder, HelpFileName(language));
}

}  // namespace quorfw
