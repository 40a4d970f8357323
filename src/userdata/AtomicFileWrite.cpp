#include "userdata/AtomicFileWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace quorfw {

namespace {

constexpr int kNameAttempts = 16;

std::string ErrnoText()
{
    return std::generic_category().message(errno);
}

FileWriteResult Failed(std::string what)
{
    return FileWriteResult{false, std::move(what)};
}

// A name beside the target that no other writer picks; the leading dot keeps it out of
// ordinary listings should a crash leave it behind.
std::filesystem::path TemporaryName(const std::filesystem::path& folder, const std::filesystem::path& name,
                                    std::mt19937_64& random)
{
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(random()));
    return folder / ("." + name.string() + suffix + ".tmp");
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

// So that the rename itself survives a power loss; a folder that cannot be synced does not
// make the written file any less complete.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes)
{
    const std::filesystem::path name = target.filename();
    if (name.empty() || name == "." || name == "..") {
        return Failed("no file name in " + target.string());
    }
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

    std::random_device seed;
    std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed() ^ static_cast<std::uint64_t>(::getpid()));
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        temporary = TemporaryName(folder, name, random);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return Failed("cannot create a file in " + folder.string() + ": " + ErrnoText());
    }

    std::string failure;
    if (!WriteAll(fd, bytes)) {
        failure = "cannot write " + target.string() + ": " + ErrnoText();
    } else if (::fsync(fd) != 0) {
        failure = "cannot flush " + target.string() + ": " + ErrnoText();
    }
    if (::close(fd) != 0 && failure.empty()) {
        failure = "cannot close " + target.string() + ": " + ErrnoText();
    }
    if (failure.empty() && ::rename(temporary.c_str(), target.c_str()) != 0) {
        failure = "cannot replace " + target.string() + ": " + ErrnoText();
    }
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return Failed(std::move(failure));
    }
    SyncFolder(folder);
    return FileWriteResult{true, {}};
}

}  // namespace quorfw
