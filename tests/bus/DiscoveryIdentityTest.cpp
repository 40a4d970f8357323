#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/ModuleIdentity.h"
#include "tests/bus/DiscoveryTestBench.h"

#include <gtest/gtest.h>

namespace quorfw {
namespace {

// Scan, key and identity as every worker starts.
void Connect(DiscoveryTestBench& bench)
{
    ASSERT_TRUE(ScanBus(bench.session));
    ASSERT_TRUE(bench.session.AnnounceLinkKey(BusSession::kAnnounceAll));
    ASSERT_TRUE(Identify(bench.session, kIdentifyUnit));
}

std::vector<std::uint8_t> UnitInformation(std::uint8_t configuration, std::uint8_t kindCode, std::uint16_t countField,
                                          std::vector<std::uint32_t> addresses)
{
    std::vector<std::uint8_t> information(94, 0);
    information[0] = configuration;
    WriteLe32(&information[16], 2050310);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        WriteLe32(&information[24 + 4 * i], addresses[i]);
    }
    information[85] = kindCode;
    WriteLe16(&information[90], countField);
    return information;
}

TEST(DiscoveryIdentity, DefaultInstallationIsDiscoveredCompletely)
{
    DiscoveryTestBench bench;
    EXPECT_EQ(WaitForUnit(bench.session, 3000), kBusSilent);
    Connect(bench);
    BusSession& s = bench.session;
    EXPECT_EQ(s.unit.recognised, 0);
    EXPECT_EQ(s.unit.version, 2050310u);
    EXPECT_EQ(s.unit.serial, "10030100001234");

    ASSERT_TRUE(ReadModuleInfo(s, kUnitInformationSlot));
    EXPECT_EQ(s.unit.type, 3u);
    ASSERT_EQ(s.moduleCount, 3);
    EXPECT_EQ(ReadLe16(&s.unitInformation[90]), 3u);

    struct Expected {
        std::uint32_t address;
        std::uint32_t type;
        std::uint32_t version;
        const char* serial;
    };
    const Expected expected[] = {
        {0x70123456, 5, 6040901, "20050100005678"},
        {0x50234567, 6, 3000419, "20060100009012"},
        {0x80345678, 7, 1020005, "30070100003456"},
    };
    for (std::uint8_t slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(static_cast<int>(slot));
        const ModuleInfo& module = s.modules[slot];
        EXPECT_EQ(module.present, 1);
        EXPECT_EQ(module.address, expected[slot].address);
        ASSERT_TRUE(ReadModuleInfo(s, slot));
        EXPECT_EQ(module.type, expected[slot].type);
        EXPECT_EQ(module.version, expected[slot].version);
        EXPECT_EQ(module.serial, expected[slot].serial);
        EXPECT_EQ(module.moduleName, bench.installation->Config().modules[slot].name);
    }
    // The scanners' information blocks come whole; the keypad has none.
    EXPECT_EQ(s.modules[0].information, bench.installation->Module(0).Information());
    EXPECT_EQ(s.modules[2].information, (std::array<std::uint8_t, 404>{}));
    // The keypad is asked for its identity only, never for a name.
    EXPECT_TRUE(bench.CommandsTo(0x80345678, kCmdInformationRead).empty());
    EXPECT_EQ(bench.CommandsTo(0x80345678, kCmdIdentity).size(), 1u);
}

TEST(DiscoveryIdentity, RecognisedUnitTypeFromItsHardwareCode)
{
    InstallationConfig config = UnitWithModules({});
    config.unit.hardwareCode = 0x21000034;  // family 0x2100, variant '4'
    DiscoveryTestBench bench(config);
    Connect(bench);
    EXPECT_EQ(bench.session.unit.recognised, 1);
    EXPECT_EQ(bench.session.unit.type, 8u);
    const auto identity = bench.CommandsTo(0x21000001, kCmdIdentity);
    ASSERT_FALSE(identity.empty());
    EXPECT_EQ(identity[0].Length(), 28);
    EXPECT_EQ(identity[0].Operand1(), kIdentityOperand);
    EXPECT_EQ(identity[0].FrameFlags(), 0x81);
}

TEST(DiscoveryIdentity, ModuleCountRuleAndFacilityCodeUnits)
{
    struct Case {
        const char* what;
        std::uint32_t hardwareCode;
        std::uint8_t configuration;
        std::uint8_t kindCode;
        std::uint16_t countField;
        std::uint32_t type;
        std::uint16_t countAfter;
        std::int32_t moduleCount;
    };
    const Case cases[] = {
        // Kind 0x0B: the field holds the facility code and stays; the unit becomes type 9.
        {"facility code", 0x30000041, 0x02, 0x0B, 0x1234, 9, 0x1234, 2},
        // Another kind code: the count of listed addresses replaces whatever the unit sent.
        {"count replaced", 0x30000041, 0x02, 8, 0x1234, 3, 2, 2},
        // A type-3 unit (by identity) keeping its type through a configuration byte that does
        // not decide, with kind 0x0B: its module list is sized by the addresses, not the code.
        {"type 3 with facility code", 0x20000033, 0x08, 0x0B, 0x1234, 3, 0x1234, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallationConfig config = UnitWithModules({});
        config.unit.hardwareCode = c.hardwareCode;
        config.unit.information = UnitInformation(c.configuration, c.kindCode, c.countField, {0x70000001, 0, 0x50000003});
        DiscoveryTestBench bench(config);
        Connect(bench);
        ASSERT_TRUE(ReadModuleInfo(bench.session, kUnitInformationSlot));
        EXPECT_EQ(bench.session.unit.type, c.type);
        EXPECT_EQ(ReadLe16(&bench.session.unitInformation[90]), c.countAfter);
        EXPECT_EQ(bench.session.moduleCount, c.type == 3 ? c.moduleCount : 0);
        if (c.type == 3) {
            EXPECT_EQ(bench.session.modules[0].address, 0x70000001u);
            EXPECT_EQ(bench.session.modules[1].present, 0);
            EXPECT_EQ(bench.session.modules[2].address, 0x50000003u);
            EXPECT_EQ(bench.session.modules[2].present, 1);
        }
    }
}

TEST(DiscoveryIdentity, ModuleTypeFromTheFirstVersionGroup)
{
    DiscoveryTestBench bench(UnitWithModules({SimStationAt(0x70000001, 6000000, "20050100000001"),
                                              SimStationAt(0x50000002, 7000000, "20060100000002"),
                                              SimStationAt(0x30000003, 5990000, "20060100000003")}));
    Connect(bench);
    const std::uint32_t types[] = {5, 6, 6};
    for (std::uint8_t slot = 0; slot < 3; ++slot) {
        ASSERT_TRUE(ReadModuleInfo(bench.session, slot));
        EXPECT_EQ(bench.session.modules[slot].type, types[slot]) << static_cast<int>(slot);
    }
    EXPECT_EQ(bench.session.modules[2].inHighRange, 1u);
    EXPECT_EQ(bench.session.modules[0].inHighRange, 0u);
}

TEST(DiscoveryIdentity, ModuleNameIsAskedOnceAfterInformationAndUpToSixTimesWithout)
{
    StationConfig named = SimStationAt(0x70000001, 7000000, "20060100000001");
    named.name = "Gate A";
    DiscoveryTestBench bench(UnitWithModules({named}));
    Connect(bench);
    ASSERT_TRUE(ReadModuleInfo(bench.session, 0));
    EXPECT_EQ(bench.session.modules[0].moduleName, "Gate A");
    EXPECT_EQ(bench.CommandsTo(0x70000001, kCmdIdentity).size(), 1u);

    // No information and no name answers: four information reads, six name reads, failure.
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = 0x70000001;
    bench.installation->Faults().Add(drop);
    bench.ForgetTraffic();
    bench.session.modules[0].moduleName = "kept";
    EXPECT_FALSE(ReadModuleInfo(bench.session, 0));
    EXPECT_EQ(bench.CommandsTo(0x70000001, kCmdInformationRead).size(), 4u);
    EXPECT_EQ(bench.CommandsTo(0x70000001, kCmdIdentity).size(), 6u);
    EXPECT_EQ(bench.session.modules[0].moduleName, "kept");
}

TEST(DiscoveryIdentity, NameAloneMakesTheReadSucceed)
{
    StationConfig named = SimStationAt(0x70000001, 7000000, "20060100000001");
    named.name = "Gate B";
    DiscoveryTestBench bench(UnitWithModules({named}));
    Connect(bench);
    FaultRule drop;
    drop.type = FaultType::Drop;
    drop.station = 0x70000001;
    drop.command = kCmdInformationRead;
    bench.installation->Faults().Add(drop);
    bench.ForgetTraffic();
    EXPECT_TRUE(ReadModuleInfo(bench.session, 0));
    EXPECT_EQ(bench.session.modules[0].moduleName, "Gate B");
    EXPECT_EQ(bench.session.modules[0].version, 0u);  // the information never came
    EXPECT_EQ(bench.CommandsTo(0x70000001, kCmdIdentity).size(), 1u);
}

TEST(DiscoveryIdentity, KeypadSerialIsATextOfAtMostFourteenCharacters)
{
    struct Case {
        const char* serial;
        bool taken;
    };
    for (const Case c : {Case{"3007010000", true}, Case{"30070100003456", true}, Case{"300701000034567", false}}) {
        SCOPED_TRACE(c.serial);
        DiscoveryTestBench bench(UnitWithModules({SimStationAt(0x80000001, 1020005, c.serial)}));
        Connect(bench);
        bench.session.modules[0].serial = "before";
        EXPECT_EQ(ReadModuleInfo(bench.session, 0), c.taken);
        EXPECT_EQ(Identify(bench.session, 0), c.taken);
        EXPECT_EQ(bench.session.modules[0].serial, c.taken ? c.serial : "before");
    }
}

TEST(DiscoveryIdentity, UnitExtraBlockIsTakenWhole)
{
    InstallationConfig config = UnitWithModules({});
    config.unit.extraBlock.resize(64);
    for (std::size_t i = 0; i < 64; ++i) {
        config.unit.extraBlock[i] = static_cast<std::uint8_t>(0xC0 + i);
    }
    DiscoveryTestBench bench(config);
    Connect(bench);
    ASSERT_TRUE(ReadModuleInfo(bench.session, kUnitExtraSlot));
    EXPECT_TRUE(std::equal(config.unit.extraBlock.begin(), config.unit.extraBlock.end(),
                           bench.session.unitExtraBlock.begin()));
}

TEST(DiscoveryIdentity, AbsentStationsAreNotAsked)
{
    DiscoveryTestBench bench(UnitWithModules({}));
    EXPECT_FALSE(Identify(bench.session, kIdentifyUnit));
    EXPECT_FALSE(Identify(bench.session, 2));
    EXPECT_FALSE(ReadModuleInfo(bench.session, 3));
    EXPECT_FALSE(ReadModuleInfo(bench.session, 9));
    EXPECT_TRUE(bench.installation->Requests().empty());
}

}  // namespace
}  // namespace quorfw
