#include "bus/TtyTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>
#include <utility>

namespace quorfw {

namespace {

// How long a full output queue may hold a write up, as the converter's own write time-out.
constexpr int kWriteStallMs = 1500;
// Upper bound of what a purge reads away, so a line that never falls silent cannot hold it.
constexpr std::size_t kMaxDrainBytes = 64 * 1024;

std::optional<speed_t> SpeedOfBaud(std::uint32_t baud)
{
    static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return std::nullopt;
}

// Device nodes of one directory whose names start with prefix, ttyUSB2 before ttyUSB10.
std::vector<std::filesystem::path> NodesWithPrefix(const std::filesystem::path& dir, const std::string& prefix)
{
    std::vector<std::filesystem::path> nodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
            nodes.push_back(entry.path());
        }
    }
    std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) {
        const std::string na = a.filename().string();
        const std::string nb = b.filename().string();
        return na.size() != nb.size() ? na.size() < nb.size() : na < nb;
    });
    return nodes;
}

std::optional<std::filesystem::path> Resolved(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return resolved;
}

}  // namespace

TtyTransport::TtyTransport(Clock& clock, std::filesystem::path devRoot)
    : StreamTransport(clock), devRoot_(std::move(devRoot))
{
}

TtyTransport::~TtyTransport()
{
    Close();
}

std::vector<std::string> TtyTransport::Enumerate()
{
    std::vector<std::string> ids;
    std::vector<std::filesystem::path> covered;
    for (const auto& link : NodesWithPrefix(devRoot_ / "serial" / "by-id", "")) {
        const std::optional<std::filesystem::path> target = Resolved(link);
        if (!target) {
            continue;  // the device behind a stale name is gone
        }
        if (std::find(covered.begin(), covered.end(), *target) != covered.end()) {
            continue;
        }
        covered.push_back(*target);
        ids.push_back(kIdPrefix + link.string());
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const auto& node : NodesWithPrefix(devRoot_, prefix)) {
            const std::optional<std::filesystem::path> target = Resolved(node);
            if (target && std::find(covered.begin(), covered.end(), *target) != covered.end()) {
                continue;
            }
            ids.push_back(kIdPrefix + node.string());
        }
    }
    return ids;
}

bool TtyTransport::OpenDevice(const std::string& id, std::uint32_t baud)
{
    const std::string prefix = kIdPrefix;
    if (id.size() <= prefix.size() || id.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    if (!SpeedOfBaud(baud)) {
        return false;
    }
    const std::string path = id.substr(prefix.size());
    // Non-blocking: every wait is the frame reader's own polling through the clock.
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    if (!ConfigureLine(baud)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool TtyTransport::ConfigureLine(std::uint32_t baud)
{
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        return false;  // not a terminal
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = *SpeedOfBaud(baud);
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) {
        return false;
    }
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

void TtyTransport::CloseDevice()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
}

std::optional<std::size_t> TtyTransport::QueuedBytes()
{
    // An unplugged adapter, or a pseudo-terminal whose other side has gone, is hung up:
    // the query fails, and the frame reader's error path takes over.
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(queued);
}

std::optional<std::size_t> TtyTransport::ReadSome(std::span<std::uint8_t> into)
{
    const ssize_t got = ::read(fd_, into.data(), into.size());
    if (got > 0) {
        return static_cast<std::size_t>(got);
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return 0;
    }
    return std::nullopt;  // 0 from a raw non-blocking tty is end of file: hung up
}

std::optional<std::size_t> TtyTransport::WriteSome(std::span<const std::uint8_t> bytes)
{
    for (bool waited = false;;) {
        const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
        if (put >= 0) {
            return static_cast<std::size_t>(put);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return std::nullopt;
        }
        if (waited) {
            return 0;  // the output queue stayed full for the whole write time-out
        }
        pollfd pfd{fd_, POLLOUT, 0};
        if (::poll(&pfd, 1, kWriteStallMs) < 0 && errno != EINTR) {
            return std::nullopt;
        }
        waited = true;
    }
}

void TtyTransport::PurgeBoth()
{
    ::tcflush(fd_, TCIOFLUSH);
    // Not every terminal driver drops received bytes on a flush; read away what is left.
    std::array<std::uint8_t, 256> scratch{};
    for (std::size_t drained = 0; drained < kMaxDrainBytes;) {
        const ssize_t got = ::read(fd_, scratch.data(), scratch.size());
        if (got <= 0) {
            break;
        }
        drained += static_cast<std::size_t>(got);
    }
}

}  // namespace quorfw
