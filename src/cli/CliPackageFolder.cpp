#include "cli/CliPackageFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/PackageFolder.h"
#include "app/SettingsStore.h"
#include "packages/PackageFolder.h"

namespace quorfw {

namespace {

bool LooksLikePackage(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return extension == ".qup";
}

}  // namespace

std::optional<std::string> ResolvePackageFolder(const CliArguments& arguments, CliContext& context,
                                                std::string& error)
{
    if (!arguments.folder) {
        return PreparePackageFolder(context.settings.ReadString(kSettingPath, kDefaultPath), context.env);
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(*arguments.folder, ec)) {
        error = "package folder not found: " + *arguments.folder;
        return std::nullopt;
    }
    std::string folder = *arguments.folder;
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::vector<UpdateFile> LoadCliPackages(const std::string& folder, std::ostream& err)
{
    std::vector<UpdateFile> packages = LoadPackageFolder(folder);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!LooksLikePackage(it->path()) || !it->is_regular_file(typeError)) {
            continue;
        }
        const bool loaded = std::any_of(packages.begin(), packages.end(), [&](const UpdateFile& package) {
            return std::filesystem::path(package.GetPath()) == it->path();
        });
        if (!loaded) {
            err << "quorfwupdate: cannot read the package " << it->path().string()
                << " (damaged, or not an update package); it is left out\n";
        }
    }
    return packages;
}

}  // namespace quorfw
