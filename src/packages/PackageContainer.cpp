#include "packages/PackageContainer.h"

#include <cerrno>
#include <exception>
#include <limits>
#include <new>

#include "common/LittleEndian.h"
#include "packages/PackageCipher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorfw {

namespace {

enum class HeaderCheck { NotAContainer, Rejected, Valid };

struct ContainerLayout {
    std::size_t headerSize = 0;
    std::uint32_t keyWord = 0;
};

HeaderCheck CheckContainer(std::span<const std::uint8_t> input, ContainerLayout& layout)
{
    if (input.empty()) {
        return HeaderCheck::Rejected;
    }
    if (input.size() < 4) {
        return HeaderCheck::NotAContainer;  // too short for any magic
    }
    const std::uint32_t magic = ReadLe32(input.data() + kContainerMagicOffset);
    if (magic == kContainerMagicLong) {
        if (input.size() < kContainerLongHeaderSize ||
            ReadLe32(input.data() + kContainerTotalLengthOffset) != input.size()) {
            return HeaderCheck::Rejected;
        }
        layout.headerSize = kContainerLongHeaderSize;
    } else if (magic == kContainerMagicShort) {
        if (input.size() < kContainerShortHeaderSize) {
            return HeaderCheck::Rejected;
        }
        layout.headerSize = kContainerShortHeaderSize;
    } else {
        return HeaderCheck::NotAContainer;
    }
    layout.keyWord = ReadLe32(input.data() + kContainerKeyWordOffset);
    const std::size_t payloadSize = input.size() - layout.headerSize;
    // Containers carry 32-bit lengths; a partial last block would make the cipher run past
    // the payload; more padding than payload cannot be dropped.
    if (input.size() > std::numeric_limits<std::uint32_t>::max() || payloadSize % PackageCipher::kBlockSize != 0 ||
        (layout.keyWord & kContainerPaddingMask) > payloadSize) {
        return HeaderCheck::Rejected;
    }
    return HeaderCheck::Valid;
}

std::size_t PlainSize(std::size_t payloadSize, std::uint32_t keyWord)
{
    return payloadSize - (keyWord & kContainerPaddingMask);
}

void DecryptPayload(std::uint8_t* payload, std::size_t payloadSize, std::uint32_t keyWord)
{
    PackageCipher cipher;
    cipher.SetKey(keyWord & ~kContainerPaddingMask);
    cipher.Apply(payload, payloadSize);
}


// Reads a regular file whole into `bytes`. Anything else (a folder, a pipe, a device)
// is refused, and a pipe must not block the caller while it is opened.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::exception&) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;  // a read error, or the file shrank while it was read
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

bool DecryptPackageData(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output)
{
    ContainerLayout layout;
    try {
        switch (CheckContainer(input, layout)) {
        case HeaderCheck::NotAContainer:
            output.assign(input.begin(), input.end());
            return false;
        case HeaderCheck::Rejected:
            return false;
        case HeaderCheck::Valid:
            break;
        }
        const std::span<const std::uint8_t> payload = input.subspan(layout.headerSize);
        output.assign(payload.begin(), payload.end());
    } catch (const std::exception&) {
        return false;
    }
    DecryptPayload(output.data(), output.size(), layout.keyWord);
    output.resize(PlainSize(output.size(), layout.keyWord));
    return true;
}

bool DecryptPackageDataInPlace(std::vector<std::uint8_t>& buffer)
{
    ContainerLayout layout;
    if (CheckContainer(buffer, layout) != HeaderCheck::Valid) {
        return false;
    }
    const std::size_t payloadSize = buffer.size() - layout.headerSize;
    DecryptPayload(buffer.data() + layout.headerSize, payloadSize, layout.keyWord);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(layout.headerSize));
    buffer.resize(PlainSize(payloadSize, layout.keyWord));
    return true;
}

bool ReadPackageFile(const std::filesystem::path& path, std::vector<std::uint8_t>& output)
{
    if (path.empty()) {
        return false;
    }
    output.clear();
    if (!ReadWholeFile(path, output)) {
        output.clear();
        return false;
    }
    if (output.empty() || DecryptPackageDataInPlace(output)) {
        return true;
    }
    // Only an unknown header leaves the caller a copy of the bytes; other rejections leave
    // the output as it was before decryption, that is empty.
    ContainerLayout layout;
    if (CheckContainer(output, layout) != HeaderCheck::NotAContainer) {
        output.clear();
    }
    return false;
}

}  // namespace quorfw
