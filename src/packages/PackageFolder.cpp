#include "packages/PackageFolder.h"

#include <system_error>

namespace quorfw {

namespace {

bool HasPackageExtension(const std::string& fileName)
{
    constexpr std::string_view kExtension = ".qup";
    if (fileName.size() < kExtension.size()) {
        return false;
    }
    // Package folders are filled from machines whose file names ignore letter case.
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        char ch = fileName[fileName.size() - kExtension.size() + i];
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
        if (ch != kExtension[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<UpdateFile> LoadPackageFolder(const std::filesystem::path& folder)
{
    std::vector<UpdateFile> packages;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::directory_entry& entry = *it;
        std::error_code typeError;
        if (!HasPackageExtension(entry.path().filename().string()) || !entry.is_regular_file(typeError)) {
            continue;
        }
        UpdateFile package;
        if (package.Load(entry.path().string(), true)) {
            packages.push_back(std::move(package));
        }
    }
    return packages;
}

}  // namespace quorfw
