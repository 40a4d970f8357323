#include "app/ProgramDataFolder.h"

#include <system_error>

namespace quorfw {

std::vector<std::filesystem::path> ProgramDataFolders(const std::filesystem::path& programFolder)
{
    if (programFolder.empty())
        return {programFolder};
    return {programFolder, (programFolder / kInstalledDataFolder).lexically_normal()};
}

std::filesystem::path FindProgramDataFile(const std::filesystem::path& programFolder,
                                          const std::filesystem::path& relativePath)
{
    for (const std::filesystem::path& folder : ProgramDataFolders(programFolder)) {
        std::error_code ec;
        if (std::filesystem::exists(folder / relativePath, ec))
            return folder / relativePath;
    }
    return programFolder / relativePath;
}

}  // namespace quorfw
