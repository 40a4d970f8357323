#include "app/PackageFolder.h"

#include <filesystem>
#include <system_error>

namespace quorfw {

namespace {

std::string WithoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

}  // namespace

std::string DefaultPackageFolder(const EnvironmentLookup& env)
{
    std::string dataHome;
    if (auto xdg = env("XDG_DATA_HOME"); xdg && !xdg->empty() && xdg->front() == '/') {
        dataHome = WithoutTrailingSlashes(*xdg);
    } else {
        const std::string home = HomeFolder(env);
        if (home.empty())
            return {};
        dataHome = WithoutTrailingSlashes(home) + "/.local/share";
    }
    if (dataHome == "/")
        dataHome.clear();
    return dataHome + "/quor/ModuleUpdate/";
}

std::string PreparePackageFolder(std::string_view pathSetting, const EnvironmentLookup& env)
{
    if (!pathSetting.empty()) {
        std::string folder(pathSetting);
        if (folder.back() != '/')
            folder.push_back('/');
        return folder;
    }
    std::string folder = DefaultPackageFolder(env);
    if (!folder.empty()) {
        // The company folder above ours is made too: no installer lays it out on this
        // platform, and without it a fresh account would have nowhere to keep packages and
        // logs. The data home itself is never created.
        const std::filesystem::path packages = WithoutTrailingSlashes(folder);
        std::error_code ignored;
        if (std::filesystem::is_directory(packages.parent_path().parent_path(), ignored)) {
            std::filesystem::create_directory(packages.parent_path(), ignored);
            std::filesystem::create_directory(packages, ignored);
        }
    }
    return folder;
}

}  // namespace quorfw
