#include "sim/InstallationConfig.h"

namespace quorfw {

namespace {

StationConfig Station(std::uint32_t address, std::uint32_t version, const char* serial)
{
    StationConfig s;
    s.address = address;
    s.version = version;
    s.serial = serial;
    return s;
}

}  // namespace

InstallationConfig InstallationConfig::Default()
{
    InstallationConfig c;
    // A family the tool does not know, so it reads the unit information, which makes the
    // unit a type-3 unit that lists its modules.
    c.unit = Station(0x21000001, 2050310, "10030100001234");
    c.unit.hardwareCode = 0x30000041;
    c.unit.configuration = 0x02;
    c.unit.kindCode = 8;
    // Unit and keypad images carry no version the stations could read; these are the
    // versions of the demo package, which they report once they have restarted into it.
    c.unit.versionAfterUpdate = 2050400;
    c.modules.push_back(Station(0x70123456, 6040901, "20050100005678"));  // finger scanner, type 5
    c.modules.push_back(Station(0x50234567, 3000419, "20060100009012"));  // finger scanner, type 6
    c.modules.push_back(Station(0x80345678, 1020005, "30070100003456"));  // keypad, type 7
    c.modules.back().versionAfterUpdate = 1020100;
    return c;
}

}  // namespace quorfw
