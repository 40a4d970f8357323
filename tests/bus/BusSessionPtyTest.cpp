// The session against quorfw-sim on a pseudo-terminal, through the tty transport: the way
// the tool reaches hardware. Real time, because the simulator runs as its own process on
// the system clock; kept to a few transactions.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/TtyTransport.h"
#include "common/Clock.h"
#include "sim/InstallationConfig.h"

extern char** environ;

namespace quorfw {
namespace {

// quorfw-sim as a child process; its first output line is the terminal path.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        const char* binaryDir = std::getenv("QUORFW_BINARY_DIR");
        if (binaryDir == nullptr) {
            return;
        }
        const std::string program = std::string(binaryDir) + "/sim/tools/quorfw-sim";
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];
        if (pid_ > 0) {
            path_ = ReadFirstLine(std::chrono::seconds(10));
        }
    }

    ~SimProcess()
    {
        (void)Stop();
        if (output_ >= 0) {
            ::close(output_);
        }
    }

    [[nodiscard]] const std::string& Path() const { return path_; }

    // SIGTERM, then the exit status (-1 when it did not end by itself within 5 s).
    int Stop()
    {
        if (pid_ <= 0) {
            return -1;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(10'000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }

private:
    std::string ReadFirstLine(std::chrono::milliseconds limit)
    {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd pfd{output_, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(output_, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return {};
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::string path_;
};

TEST(BusSessionOverPty, TransactionsReachTheSimulatorThroughATty)
{
    const InstallationConfig config = InstallationConfig::Default();
    const std::uint32_t scanner = config.modules[0].address;
    const std::uint32_t refusing = config.modules[1].address;
    const std::uint32_t busy = config.modules[2].address;

    const std::filesystem::path faults =
        std::filesystem::temp_directory_path() / ("quorfw-session-pty-" + std::to_string(::getpid()) + ".json");
    {
        std::ofstream f(faults);
        f << R"([{"type": "refuse", "station": "0x50234567", "command": "0x22"},
                {"type": "busy", "station": "0x80345678", "command": "0x22", "count": 1}])";
    }
    SimProcess sim({"--pty", "--seed", "3", "--faults", faults.string()});
    ASSERT_FALSE(sim.Path().empty()) << "quorfw-sim did not print its terminal";

    SystemClock clock;
    TtyTransport tty(clock);
    ASSERT_TRUE(tty.Open(std::string(TtyTransport::kIdPrefix) + sim.Path(), 115200));
    BusSession session(tty, clock, 99);
    session.unit.present = 1;
    session.unit.address = config.unit.address;
    for (std::size_t i = 0; i < config.modules.size(); ++i) {
        session.modules[i].present = 1;
        session.modules[i].address = config.modules[i].address;
    }

    ASSERT_TRUE(session.AnnounceLinkKey(BusSession::kAnnounceAll));
    EXPECT_TRUE(session.link.inSync);

    const auto poll = [&](std::uint32_t destination) {
        BusMessage m;
        FillRequest(session.link, m, 27, session.link.ownAddress, destination, 0x22, 0, 0, 0x81, kKindSeedScrambled);
        return m;
    };
    BusMessage request = poll(scanner);
    const BusMessage* answer = session.TransactTimed(request, 0, 50);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->Command(), 0x81);
    EXPECT_EQ(answer->Source(), scanner);

    request = poll(busy);
    answer = session.Transact(request);
    ASSERT_NE(answer, nullptr) << session.LastFailure().Text();
    EXPECT_EQ(answer->Source(), busy);

    request = poll(refusing);
    const auto refusedAt = std::chrono::steady_clock::now();
    EXPECT_EQ(session.TransactTimed(request, 500, 50), nullptr);
    EXPECT_EQ(session.LastFailure().kind, TransactionFailure::Kind::Refused);
    EXPECT_LT(std::chrono::steady_clock::now() - refusedAt, std::chrono::milliseconds(500));

    request = poll(0x70999999);
    EXPECT_EQ(session.TransactTimed(request, 0, 0), nullptr);
    EXPECT_EQ(session.LastFailure().kind, TransactionFailure::Kind::NoAnswer);

    tty.Close();
    EXPECT_EQ(sim.Stop(), 0);
    std::filesystem::remove(faults);
}

}  // namespace
}  // namespace quorfw
