#include <filesystem>
#include <string>

#include "cli/CliPackageFolder.h"
#include "cli/CliVerbs.h"
#include "cli/CliJson.h"
#include "packages/PackageSections.h"

namespace quorfw {

namespace {

std::string FileName(const UpdateFile& package)
{
    return std::filesystem::path(package.GetPath()).filename().string();
}

void WritePackagesJson(std::ostream& out, const std::string& folder, const std::vector<UpdateFile>& packages)
{
    CliJson json = CliJson::object();
    json["ok"] = true;
    json["folder"] = folder;
    CliJson& list = json["packages"] = CliJson::array();
    for (std::size_t k = 0; k < packages.size(); ++k) {
        const UpdateFile& package = packages[k];
        CliJson entry = CliJson::object();
        entry["index"] = k;
        entry["file"] = FileName(package);
        entry["title"] = package.GetTitle();
        entry["name"] = package.GetName();
        entry["articles"] = CliJson::array();
        for (const std::string& article : package.GetArticles()) {
            entry["articles"].push_back(article);
        }
        CliJson& versions = entry["versions"] = CliJson::array();
        for (int section = 0; section < kPackageSectionCount; ++section) {
            const std::string version = package.GetSectionVersion(section);
            if (!version.empty()) {
                versions.push_back({{"section", section}, {"version", version}});
            }
        }
        list.push_back(std::move(entry));
    }
    out << JsonLine(json) << '\n';
}

void WritePackagesText(std::ostream& out, const std::string& folder, const std::vector<UpdateFile>& packages)
{
    out << "Packages in " << folder << ": " << packages.size() << '\n';
    for (std::size_t k = 0; k < packages.size(); ++k) {
        const UpdateFile& package = packages[k];
        out << '\n' << k << "  " << FileName(package) << '\n';
        out << "   title:    " << package.GetTitle() << '\n';
        out << "   name:     " << package.GetName() << '\n';
        out << "   articles:";
        for (const std::string& article : package.GetArticles()) {
            out << ' ' << article;
        }
        out << "\n   versions:";
        for (int section = 0; section < kPackageSectionCount; ++section) {
            const std::string version = package.GetSectionVersion(section);
            if (!version.empty()) {
                out << " [" << section << "] " << version;
            }
        }
        out << '\n';
    }
}

}  // namespace

// quorfwupdate packages: what each package of the folder holds.
int RunPackagesVerb(const CliArguments& arguments, CliContext& context)
{
    std::string error;
    const auto folder = ResolvePackageFolder(arguments, context, error);
    if (!folder) {
        context.err << "quorfwupdate packages: " << error << '\n';
        return kExitUsage;
    }
    const std::vector<UpdateFile> packages = LoadCliPackages(*folder, context.err);
    if (arguments.json) {
        WritePackagesJson(context.out, *folder, packages);
    } else {
        WritePackagesText(context.out, *folder, packages);
    }
    return kExitOk;
}

}  // namespace quorfw
