#pragma once

#include <filesystem>
#include <vector>

namespace quorfw {

struct ProgramUpdateEntry;

// Installs a downloaded program update into the program folder: each file it names is
// replaced, its previous version kept beside it with ".old" appended. The new version
// takes effect at the next start.
class CProgrammUpdate {
public:
    // programFolder: the folder of the running program (ProgramFolder()), or a test's own.
    explicit CProgrammUpdate(std::filesystem::path programFolder);

    // True when every entry of the file was installed. Stops with false at the first entry
    // that cannot be read or installed, or whose name is not a plain file name; entries
    // before it stay installed. A folder the user cannot write fails before anything is
    // touched.
    [[nodiscard]] bool Install(const std::filesystem::path& updateFile);

    // The targets of the entries processed by the last Install.
    const std::vector<std::filesystem::path>& Targets() const { return targets_; }

private:
    [[nodiscard]] bool InstallEntry(const ProgramUpdateEntry& entry, const std::filesystem::path& target);

    std::filesystem::path programFolder_;
    std::vector<std::filesystem::path> targets_;
};

}  // namespace quorfw
