#include "service/CProgrammUpdate.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

#include "service/ProgramUpdateFile.h"

namespace quorfw {

namespace {

bool WriteNewFile(const std::filesystem::path& file, const std::string& data)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
}

}  // namespace

CProgrammUpdate::CProgrammUpdate(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {}

bool CProgrammUpdate::Install(const std::filesystem::path& updateFile)
{
    targets_.clear();
    // A system-wide install the user cannot write: nothing is touched at all.
    if (programFolder_.empty() || ::access(programFolder_.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    std::ifstream in(updateFile, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        // A read error: the next run downloads the file again.
        in.close();
        std::error_code ec;
        std::filesystem::remove(updateFile, ec);
        return false;
    }
    const ProgramUpdateContents contents = ReadProgramUpdate(bytes);
    if (!contents.markerOk) {
        return false;
    }
    for (const ProgramUpdateEntry& entry : contents.entries) {
        // Only plain names: an entry must not write outside the program folder.
        if (!entry.nameReadable || !IsSafeProgramFileName(entry.name)) {
            return false;
        }
        const std::filesystem::path target = programFolder_ / entry.name;
        targets_.push_back(target);
        if (!InstallEntry(entry, target)) {
            return false;
        }
    }
    return contents.complete;
}

bool CProgrammUpdate::InstallEntry(const ProgramUpdateEntry& entry, const std::filesystem::path& target)
{
    std::error_code ec;
    // A folder of the program (the language files) is not a file an update replaces.
    if (std::filesystem::is_directory(std::filesystem::symlink_status(target, ec))) {
        return false;
    }
    // Written beside the target first and renamed into place, so the target is always
    // either the old or the whole new file, even if the program stops half-way.
    const std::filesystem::path temporary = programFolder_ / ("." + entry.name + ".quorfw-new");
    if (!WriteNewFile(temporary, entry.data)) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    const std::filesystem::path old = target.string() + ".old";
    const bool replacing = std::filesystem::exists(std::filesystem::symlink_status(target, ec));
    if (replacing) {
        // The new file keeps the old one's permissions (the program stays executable).
        const auto permissions = std::filesystem::status(target, ec).permissions();
        if (!ec) {
            std::filesystem::permissions(temporary, permissions, ec);
        }
        std::filesystem::remove(old, ec);
        // A second name for the old file, so the target never goes missing; a move where
        // the file system has no links.
        std::filesystem::create_hard_link(target, old, ec);
        if (ec) {
            std::filesystem::rename(target, old, ec);
        }
        if (ec) {
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace quorfw
