#include "sim/PtyServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

namespace quorfw {

namespace {

// Longest pause between looks at the stop flag and the line.
constexpr std::uint64_t kMaxPollMs = 20;

std::string ErrnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

PtyServer::PtyServer(SimInstallation& installation, Clock& clock) : installation_(installation), clock_(clock) {}

PtyServer::~PtyServer()
{
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyServer::Open(std::string& error)
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) {
        error = ErrnoText("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = ErrnoText("grantpt/unlockpt");
        return false;
    }
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        error = ErrnoText("ptsname");
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) {
        error = ErrnoText("open slave");
        return false;
    }
    // Raw from the start: an echo would send the stations' answers back to them before
    // the client has set up its own line.
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        error = ErrnoText("tcgetattr");
        return false;
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        error = ErrnoText("tcsetattr");
        return false;
    }
    return true;
}

std::uint64_t PtyServer::NowUs() const
{
    const std::uint64_t now = clock_.NowMs();
    return (now >= originMs_ ? now - originMs_ : 0) * 1000;
}

bool PtyServer::ForwardArrivedAnswers(std::string& error)
{
    std::array<std::uint8_t, 2048> buffer{};
    while (true) {
        const std::size_t n = installation_.ReadArrived(NowUs(), buffer);
        if (n == 0) {
            return true;
        }
        std::size_t written = 0;
        while (written < n) {
            const ssize_t w = ::write(master_, buffer.data() + written, n - written);
            if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
                clock_.SleepMs(1);
                continue;
            }
            if (w < 0) {
                error = ErrnoText("write");
                return false;
            }
            written += static_cast<std::size_t>(w);
        }
    }
}

bool PtyServer::Run(const std::atomic<bool>& stop, std::string& error)
{
    if (master_ < 0) {
        error = "not open";
        return false;
    }
    originMs_ = clock_.NowMs();
    std::array<std::uint8_t, 2048> buffer{};
    while (!stop.load()) {
        std::uint64_t waitMs = kMaxPollMs;
        if (const std::optional<std::uint64_t> next = installation_.NextArrivalUs()) {
            const std::uint64_t now = NowUs();
            waitMs = *next <= now ? 0 : std::min<std::uint64_t>(kMaxPollMs, (*next - now + 999) / 1000);
        }
        pollfd pfd{master_, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(waitMs));
        if (ready < 0 && errno != EINTR) {
            error = ErrnoText("poll");
            return false;
        }
        if (ready > 0 && (pfd.revents & POLLIN) != 0) {
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n > 0) {
                // The bytes are here now: the line has already carried them.
                installation_.ReceiveFromTool(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                                              NowUs());
            } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                error = ErrnoText("read");
                return false;
            }
        }
        if (!ForwardArrivedAnswers(error)) {
            return false;
        }
    }
    return true;
}

}  // namespace quorfw
