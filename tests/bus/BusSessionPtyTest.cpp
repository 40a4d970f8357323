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
#include "tests/bus/SimProcess.h"

namespace quorfw {
namespace {

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
