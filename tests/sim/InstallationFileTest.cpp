#include "sim/InstallationFile.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quorfw {
namespace {

std::string Hex(std::size_t bytes, std::uint8_t first)
{
    static const char* const kDigits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes; ++i) {
        const auto b = static_cast<std::uint8_t>(first + i);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        out += (i % 16 == 15) ? "  " : " ";
    }
    return out;
}

// A unit with only an address, then whatever members a case adds.
std::string WithUnit(const std::string& unitMembers, const std::string& rest = "")
{
    return R"({"unit": {"address": "0x21000001")" + unitMembers + "}" + rest + "}";
}

TEST(InstallationFile, DataFileIsTheBuiltInInstallation)
{
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::string error;
    const std::optional<InstallationConfig> file =
        InstallationFile::Load(std::string(source) + "/data/installation-default.json", error);
    ASSERT_TRUE(file.has_value()) << error;
    EXPECT_EQ(*file, InstallationConfig::Default());
    // The demo installation as the data README describes it.
    const InstallationConfig d = InstallationConfig::Default();
    EXPECT_EQ(d.unit.address, 0x21000001u);
    EXPECT_EQ(d.unit.hardwareCode, 0x30000041u);
    EXPECT_EQ(d.unit.version, 2050310u);
    ASSERT_EQ(d.modules.size(), 3u);
    EXPECT_EQ(d.modules[0].version, 6040901u);
    EXPECT_EQ(d.modules[1].version, 3000419u);
    EXPECT_EQ(d.modules[2].address, 0x80345678u);
    EXPECT_EQ(d.modules[2].serial, "30070100003456");
}

TEST(InstallationFile, ReadsEveryStationMemberAndFaultType)
{
    const std::string text = R"({
      "baud": "9600", "processingMs": 5,
      "unit": {"address": "0x2A000002", "hardwareCode": 536870961, "version": 2050310, "serial": "1",
               "configuration": "0x81", "kindCode": "0x0B", "answers": "plain", "announceAnswer": "0x80",
               "pollLimit": 3, "information": ")" +
                             Hex(94, 0) + R"(", "extra": ")" + Hex(64, 0x40) + R"("},
      "modules": [{"address": "0x30000001", "version": "7.0.0.1", "serial": "20070100000001",
                   "name": "Door \"A\"", "answers": "program:7", "restartDelayMs": 300, "information": ")" +
                             Hex(404, 7) + R"("}],
      "faults": [
        {"type": "drop", "station": "0x30000001", "command": "0x22", "probability": 0.5},
        {"type": "corrupt", "nth": 3, "count": 2},
        {"type": "garbage", "count": 9},
        {"type": "busy", "command": 56, "count": 3},
        {"type": "refuse", "command": "0x36"},
        {"type": "silence", "fromMs": 100, "untilMs": 200},
        {"type": "restart", "station": "0x2A000002", "atMs": 1000, "downMs": 500},
        {"type": "foreign", "address": "0x50000005"}
      ]})";
    std::string error;
    const std::optional<InstallationConfig> c = InstallationFile::Parse(text, error);
    ASSERT_TRUE(c.has_value()) << error;
    EXPECT_EQ(c->baud, 9600u);
    EXPECT_EQ(c->processingMs, 5u);
    EXPECT_EQ(c->unit.address, 0x2A000002u);
    EXPECT_EQ(c->unit.hardwareCode, 536870961u);
    EXPECT_EQ(c->unit.configuration, 0x81);
    EXPECT_EQ(c->unit.kindCode, 0x0B);
    EXPECT_EQ(c->unit.answerKind, kAnswerPlain);
    EXPECT_EQ(c->unit.announceAnswer, 0x80);
    EXPECT_EQ(c->unit.pollLimit, 3u);
    ASSERT_EQ(c->unit.information.size(), 94u);
    EXPECT_EQ(c->unit.information[93], 93);
    ASSERT_EQ(c->unit.extraBlock.size(), 64u);
    EXPECT_EQ(c->unit.extraBlock[0], 0x40);
    ASSERT_EQ(c->modules.size(), 1u);
    EXPECT_EQ(c->modules[0].version, 7000001u);
    EXPECT_EQ(c->modules[0].name, "Door \"A\"");
    EXPECT_EQ(c->modules[0].answerKind, 7);
    EXPECT_EQ(c->modules[0].information.size(), 404u);
    EXPECT_EQ(c->modules[0].restartDelayMs, 300u);
    EXPECT_EQ(c->unit.restartDelayMs, 0u);

    ASSERT_EQ(c->faults.size(), 8u);
    const std::vector<FaultRule>& f = c->faults;
    EXPECT_EQ(f[0].type, FaultType::Drop);
    EXPECT_EQ(f[0].station, 0x30000001u);
    EXPECT_EQ(f[0].command, 0x22);
    EXPECT_EQ(f[0].probability, 0.5);
    EXPECT_EQ(f[1].type, FaultType::Corrupt);
    EXPECT_EQ(f[1].nth, 3u);
    EXPECT_EQ(f[1].count, 2u);
    EXPECT_FALSE(f[1].station.has_value());
    EXPECT_EQ(f[2].type, FaultType::Garbage);
    EXPECT_EQ(f[3].type, FaultType::Busy);
    EXPECT_EQ(f[3].command, 0x38);
    EXPECT_EQ(f[4].type, FaultType::Refuse);
    EXPECT_EQ(f[5].type, FaultType::Silence);
    EXPECT_EQ(f[5].fromMs, 100u);
    EXPECT_EQ(f[5].untilMs, 200u);
    EXPECT_EQ(f[6].type, FaultType::Restart);
    EXPECT_EQ(f[6].fromMs, 1000u);
    EXPECT_EQ(f[6].untilMs, 1500u);
    EXPECT_EQ(f[7].type, FaultType::Foreign);
    EXPECT_EQ(f[7].address, 0x50000005u);
}

TEST(InstallationFile, ErrorsNameThePlace)
{
    struct Case {
        std::string text;
        const char* error;
    };
    const std::string module = R"(, "modules": [{"address": "0x30000001")";
    const Case cases[] = {
        {"{\"unit\": }", "line 1, column 10: syntax error while parsing value - unexpected '}'"},
        {"[]", "installation: an object was expected"},
        {"{}", "installation: \"unit\" is missing"},
        {WithUnit("", ", \"colour\": 1"), "installation: unknown member \"colour\""},
        {R"({"unit": {"version": 1}})", "unit: \"address\" is missing"},
        {R"({"unit": {"address": "0x31000000"}})", "unit.address: a unit address lies in"},
        {WithUnit("", module + R"(}, {"address": "0x21000002"}])"), "modules[1].address: a module address starts"},
        {WithUnit("", R"(, "modules": [{"address": "0x3F000001"}])"), "modules[0].address: an address with top byte 0x3F"},
        {WithUnit("", module + "}, " + R"({"address": "0x30000001"}])"), "modules[1].address: the same address"},
        {WithUnit("", R"(, "modules": [{"address": "0x30000001"}, {"address": "0x30000002"}, {"address": "0x30000003"},
                   {"address": "0x30000004"}, {"address": "0x30000005"}])"),
         "modules: at most four"},
        {WithUnit("", R"(, "modules": {})"), "modules: an array was expected"},
        {WithUnit("", module + R"(, "kindCode": 8}])"), "modules[0]: unknown member \"kindCode\""},
        {WithUnit(R"(, "name": "x")"), "unit: unknown member \"name\""},
        {WithUnit(R"(, "version": "6.4.9")"), "unit.version: a version like"},
        {WithUnit(R"(, "version": "6.4.100.1")"), "unit.version: a version like"},
        {WithUnit(R"(, "version": "6.4.9.1.")"), "unit.version: a version like"},
        {WithUnit(R"(, "version": 100000000)"), "unit.version: value above 99999999"},
        {WithUnit(R"(, "hardwareCode": -1)"), "unit.hardwareCode: a non-negative whole number"},
        {WithUnit(R"(, "hardwareCode": 1.5)"), "unit.hardwareCode: a non-negative whole number"},
        {WithUnit(R"(, "hardwareCode": "0x100000000")"), "unit.hardwareCode: value above 4294967295"},
        {WithUnit(R"(, "kindCode": 256)"), "unit.kindCode: value above 255"},
        {WithUnit(R"(, "serial": "10030100001234\u00e9")"), "unit.serial: only printable ASCII"},
        {WithUnit(R"(, "serial": 1)"), "unit.serial: a text was expected"},
        {WithUnit(R"(, "information": "00 11")"), "unit.information: 94 bytes were expected, got 2"},
        {WithUnit(R"(, "extra": "0")"), "unit.extra: odd number of hex digits"},
        {WithUnit(R"(, "extra": "zz")"), "unit.extra: only hex digits"},
        {WithUnit(R"(, "answers": "program:8")"), "unit.answers: \"plain\", \"seed\""},
        {WithUnit("", R"(, "baud": 0)"), "baud: must be above 0"},
        {WithUnit("", R"(, "faults": {})"), "faults: an array was expected"},
        {WithUnit("", R"(, "faults": [{"station": 1}])"), "faults[0]: \"type\" is missing"},
        {WithUnit("", R"(, "faults": [{"type": "explode"}])"), "faults[0].type: one of drop"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "nth": 1, "probability": 1}])"), "faults[0]: give either"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "probability": 1.5}])"), "faults[0].probability: a probability"},
        {WithUnit("", R"(, "faults": [{"type": "busy", "count": 0}])"), "faults[0].count: must be at least 1"},
        {WithUnit("", R"(, "faults": [{"type": "silence", "fromMs": 5}])"), "faults[0]: \"fromMs\" and \"untilMs\" are needed"},
        {WithUnit("", R"(, "faults": [{"type": "silence", "fromMs": 5, "untilMs": 4}])"), "faults[0].untilMs: the window ends"},
        {WithUnit("", R"(, "faults": [{"type": "restart", "fromMs": 5, "downMs": 4}])"), "faults[0].fromMs: not a member"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "untilMs": 4}])"), "faults[0].untilMs: not a member"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "address": 4}])"), "faults[0].address: not a member"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "command": 256}])"), "faults[0].command: value above 255"},
        {WithUnit("", R"(, "faults": [{"type": "drop", "typo": 1}])"), "faults[0]: unknown member \"typo\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(InstallationFile::Parse(c.text, error).has_value());
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

TEST(InstallationFile, LoadNamesTheFile)
{
    std::string error;
    EXPECT_FALSE(InstallationFile::Load("/nonexistent/installation.json", error).has_value());
    EXPECT_EQ(error, "/nonexistent/installation.json: cannot be opened");
}

TEST(InstallationFile, FaultScriptOnItsOwn)
{
    std::string error;
    const std::optional<std::vector<FaultRule>> rules =
        InstallationFile::ParseFaults(R"([{"type": "drop", "nth": 2}, {"type": "refuse"}])", error);
    ASSERT_TRUE(rules.has_value()) << error;
    ASSERT_EQ(rules->size(), 2u);
    EXPECT_EQ((*rules)[0].nth, 2u);
    EXPECT_EQ((*rules)[1].type, FaultType::Refuse);
    EXPECT_FALSE(InstallationFile::ParseFaults(R"({"type": "drop"})", error).has_value());
    EXPECT_EQ(error, "faults: an array was expected");
}

TEST(InstallationFile, DescribesWhatTheUnitStores)
{
    const std::string text = R"({
        "unit": {"address": "0x21000001", "version": "2.1.75.2", "serial": "10030100001234"},
        "store": {
            "users": [{"number": 4, "name": "NINA", "templateMask": "0x9", "byte1": 7}],
            "templates": [{"user": 4, "slot": 0, "data": "01 02 03"}, {"user": 4, "slot": 3, "size": 50, "seed": 2}],
            "generate": {"users": 20, "templatesPerUser": 2, "templateBytes": 800, "seed": 9},
            "log": [{"number": 3, "text": "ANNA", "date": "01.06.2026", "time": "08:15", "device": 1,
                     "code": "DOOR", "event": "A", "bits": 5}],
            "blocks": {"2": "000102030405060708090A0B0C0D0E0F10", "4": "2A"}
        }
    })";
    std::string error;
    const auto config = InstallationFile::Parse(text, error);
    ASSERT_TRUE(config) << error;
    ASSERT_TRUE(config->store);
    const SimStoreConfig& store = *config->store;
    ASSERT_EQ(store.users.size(), 1u);
    EXPECT_EQ(store.users[0].number, 4);
    EXPECT_EQ(store.users[0].byte1, 7);
    EXPECT_EQ(store.users[0].templateMask, 0x9u);
    ASSERT_EQ(store.templates.size(), 2u);
    EXPECT_EQ(store.templates[0].data, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(store.templates[1].data.size(), 50u);
    ASSERT_TRUE(store.generate);
    EXPECT_EQ(store.generate->users, 20u);
    ASSERT_EQ(store.log.size(), 1u);
    EXPECT_EQ(store.log[0][3], 3);
    EXPECT_EQ(std::string(store.log[0].begin() + 21, store.log[0].begin() + 29), "01062026");
    EXPECT_EQ(store.log[0][36], 'A');
    // An older unit's block 2 is 17 bytes.
    EXPECT_EQ(store.blocks.at(2).size(), 17u);
    EXPECT_EQ(store.blocks.at(4), std::vector<std::uint8_t>{0x2A});

    const struct {
        const char* store;
        const char* says;
    } bad[] = {
        {R"({"blocks": {"2": "00"}})", "store.blocks.2: 17 bytes were expected"},
        {R"({"templates": [{"user": 1, "slot": 20, "size": 4}]})", "store.templates[0].slot"},
        {R"({"templates": [{"user": 1, "slot": 2}]})", "either \"data\""},
        {R"({"log": [{"date": "1.6.2026"}]})", "store.log[0].date"},
        {R"({"users": [{"name": "X"}]})", "\"number\" is missing"},
    };
    for (const auto& c : bad) {
        const std::string file = R"({"unit": {"address": "0x21000001", "version": 2017502}, "store": )" +
                                 std::string(c.store) + "}";
        EXPECT_FALSE(InstallationFile::Parse(file, error)) << c.store;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quorfw
