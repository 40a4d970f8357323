#include "app/FileAppend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quorfw {

bool AppendToFile(const std::filesystem::path& file, std::string_view bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool complete = true;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            complete = false;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0)
        complete = false;
    return complete;
}

}  // namespace quorfw
