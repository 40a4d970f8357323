// These tests drive a real pseudo-terminal, so they run in real time: every wait is a few
// tens of milliseconds, and only a failing test waits out a read time-out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bus/TtyTransport.h"
#include "common/Clock.h"
#include "tests/bus/TransportFrameTestUtil.h"

namespace quorfw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LengthWordForEtxAt;
using test::MakeFrame;

constexpr std::uint32_t kReadTimeoutMs = 1000;
constexpr auto kSettle = std::chrono::milliseconds(30);

// The installation side of a pseudo-terminal pair.
class PtyPeer {
public:
    PtyPeer()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            slavePath_ = ::ptsname(master_);
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPeer() { CloseMaster(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return !slavePath_.empty(); }
    std::string Id() const { return "tty:" + slavePath_; }
    const std::string& SlavePath() const { return slavePath_; }

    void Send(const Bytes& bytes) const { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What the tool wrote, once count bytes are there or a second has passed.
    Bytes Receive(std::size_t count) const
    {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::uint8_t chunk[256];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                got.insert(got.end(), chunk, chunk + n);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return got;
    }
    // Waits until the tool's side holds count unread bytes; the input queue belongs to the
    // terminal, so a second descriptor of it sees the same count.
    bool WaitQueuedAtTool(int count) const
    {
        const int fd = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            return false;
        }
        int queued = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (::ioctl(fd, FIONREAD, &queued) == 0 && queued < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::close(fd);
        return queued >= count;
    }
    void CloseMaster()
    {
        if (master_ >= 0) {
            ::close(master_);
        }
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

class TtyTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.Ok());
        ASSERT_TRUE(tty.Open(peer.Id(), 115200));
    }

    SystemClock clock;
    PtyPeer peer;
    TtyTransport tty{clock};
};

TEST_F(TtyTransportTest, SetsUpARaw8N1LineWithoutFlowControl)
{
    const int fd = ::open(peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(::cfgetospeed(&tio), speed_t(B115200));
}

TEST_F(TtyTransportTest, WritesEveryByteUnchanged)
{
    Bytes request = MakeFrame(16);
    request.insert(request.begin() + 5, {0x0A, 0x0D, 0x11, 0x13, 0x7F});  // bytes a cooked line would touch
    ASSERT_TRUE(tty.Write(request));
    EXPECT_EQ(peer.Receive(request.size()), request);
}

TEST_F(TtyTransportTest, SkipsGarbageAndAssemblesAFrameSplitAcrossWrites)
{
    const Bytes frame = MakeFrame(60);
    Bytes first = {0xFF, 0x03, 0x55};
    first.insert(first.end(), frame.begin(), frame.begin() + 2);
    peer.Send(first);
    std::thread late([&] {
        std::this_thread::sleep_for(kSettle);
        peer.Send(Bytes(frame.begin() + 2, frame.begin() + 30));
        std::this_thread::sleep_for(kSettle);
        peer.Send(Bytes(frame.begin() + 30, frame.end()));
    });
    const auto got = tty.ReadFrame(kReadTimeoutMs);
    late.join();
    EXPECT_EQ(got, frame);
}

TEST_F(TtyTransportTest, LeavesAFollowingFrameForTheNextRead)
{
    const Bytes first = MakeFrame(16, 0x11);
    const Bytes second = MakeFrame(30, 0x22);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    peer.Send(both);
    EXPECT_EQ(tty.ReadFrame(kReadTimeoutMs), first);
    EXPECT_EQ(tty.ReadFrame(kReadTimeoutMs), second);
}

TEST_F(TtyTransportTest, ImpossibleLengthWordReturnsAtOnce)
{
    const std::uint16_t word = LengthWordForEtxAt(4);  // a total of 5
    peer.Send(Bytes{0x02, static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8), 0x81, 0x03});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tty.ReadFrame(5000).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(TtyTransportTest, WritePurgesAnAnswerThatArrivedBefore)
{
    const Bytes late = MakeFrame(16, 0x11);
    const Bytes answer = MakeFrame(16, 0x22);
    peer.Send(late);
    ASSERT_TRUE(peer.WaitQueuedAtTool(static_cast<int>(late.size())));

    ASSERT_TRUE(tty.Write(MakeFrame(16, 0x33)));
    EXPECT_EQ(peer.Receive(16), MakeFrame(16, 0x33));
    peer.Send(answer);
    EXPECT_EQ(tty.ReadFrame(kReadTimeoutMs), answer);
}

TEST_F(TtyTransportTest, VanishedPeerEndsTheReadAndStaysClosed)
{
    peer.CloseMaster();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tty.ReadFrame(5000).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_FALSE(tty.IsOpen());
    EXPECT_FALSE(tty.Write(MakeFrame(16)));
}

TEST(TtyTransportOpen, RefusesWhatItCannotDrive)
{
    SystemClock clock;
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    TtyTransport tty(clock);
    EXPECT_FALSE(tty.Open("tty:/nonexistent/ttyUSB0", 115200));
    EXPECT_FALSE(tty.Open("tty:/dev/null", 115200)) << "not a terminal";
    EXPECT_FALSE(tty.Open("tty:", 115200));
    EXPECT_FALSE(tty.Open(peer.SlavePath(), 115200)) << "no tty: prefix";
    EXPECT_FALSE(tty.Open(peer.Id(), 12345)) << "not a standard rate";
    EXPECT_FALSE(tty.Open(peer.Id(), 0));
    EXPECT_FALSE(tty.IsOpen());
    for (std::uint32_t baud : {9600u, 57600u, 115200u, 230400u, 921600u}) {
        EXPECT_TRUE(tty.Open(peer.Id(), baud)) << baud;
        tty.Close();
    }
}

TEST(TtyTransportEnumerate, ListsStableNamesFirstWithoutDuplicates)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tty-enum-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "serial" / "by-id");
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM3", "ttyS0", "ttyUSB"}) {
        std::ofstream(root / node).put('x');
    }
    fs::create_symlink("../../ttyUSB0", root / "serial" / "by-id" / "usb-B");
    fs::create_symlink("../../ttyUSB0", root / "serial" / "by-id" / "usb-A");  // a second name for it
    fs::create_symlink("../../ttyACM3", root / "serial" / "by-id" / "usb-C");
    fs::create_symlink("../../ttyUSB9", root / "serial" / "by-id" / "usb-gone");

    SystemClock clock;
    TtyTransport tty(clock, root);
    const std::string r = root.string();
    EXPECT_EQ(tty.Enumerate(), (std::vector<std::string>{"tty:" + r + "/serial/by-id/usb-A",
                                                         "tty:" + r + "/serial/by-id/usb-C",
                                                         "tty:" + r + "/ttyUSB1", "tty:" + r + "/ttyUSB2",
                                                         "tty:" + r + "/ttyUSB10"}));
    fs::remove_all(root);

    TtyTransport nothing(clock, root);
    EXPECT_TRUE(nothing.Enumerate().empty());
}

}  // namespace
}  // namespace quorfw
