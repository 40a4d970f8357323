// Discovery of the demo installation through quorfw-sim on a pseudo-terminal and the tty
// transport: the path to hardware. Real time, because the simulator is its own process on
// the system clock; one discovery takes a few seconds.

#include <gtest/gtest.h>

#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/ModuleIdentity.h"
#include "bus/TtyTransport.h"
#include "common/Clock.h"
#include "sim/InstallationConfig.h"
#include "tests/bus/SimProcess.h"

namespace quorfw {
namespace {

TEST(DiscoveryOverPty, DemoInstallationIsDiscoveredThroughATty)
{
    SimProcess sim({"--pty", "--seed", "5"});
    ASSERT_FALSE(sim.Path().empty()) << "quorfw-sim did not print its terminal";

    SystemClock clock;
    TtyTransport tty(clock);
    ASSERT_TRUE(tty.Open(std::string(TtyTransport::kIdPrefix) + sim.Path(), 115200));
    BusSession session(tty, clock, 11);

    EXPECT_EQ(WaitForUnit(session, 3000), kBusSilent);
    ASSERT_TRUE(ScanBus(session));
    ASSERT_TRUE(session.AnnounceLinkKey(BusSession::kAnnounceAll));
    ASSERT_TRUE(Identify(session, kIdentifyUnit));
    ASSERT_TRUE(ReadModuleInfo(session, kUnitInformationSlot));

    const InstallationConfig demo = InstallationConfig::Default();
    EXPECT_EQ(session.unit.address, demo.unit.address);
    EXPECT_EQ(session.unit.serial, demo.unit.serial);
    EXPECT_EQ(session.unit.version, demo.unit.version);
    EXPECT_EQ(session.unit.type, 3u);
    ASSERT_EQ(session.moduleCount, 3);
    const std::uint32_t types[] = {5, 6, 7};
    for (std::uint8_t slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(static_cast<int>(slot));
        ASSERT_TRUE(ReadModuleInfo(session, slot));
        const ModuleInfo& module = session.modules[slot];
        EXPECT_EQ(module.address, demo.modules[slot].address);
        EXPECT_EQ(module.type, types[slot]);
        EXPECT_EQ(module.version, demo.modules[slot].version);
        EXPECT_EQ(module.serial, demo.modules[slot].serial);
    }

    tty.Close();
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace quorfw
