#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/DisplayedInstallation.h"
#include "dialogs/WiegandSettings.h"

namespace quorfw {
namespace {

void PutEntry(DisplayedInstallation& d, std::size_t i, const char* serial, std::uint8_t codeLow, std::uint8_t codeHigh)
{
    std::memcpy(&d.unitExtraBlock[16 * i], serial, 14);
    d.unitExtraBlock[16 * i + 14] = codeLow;
    d.unitExtraBlock[16 * i + 15] = codeHigh;
}

DisplayedInstallation WiegandUnit()
{
    DisplayedInstallation d;
    d.unit.present = 1;
    d.unit.type = 9;
    d.unit.serial = "10090100004321";
    d.unit.version = 2060003;
    d.unitInformation[81] = 0;    // OEM code length
    d.unitInformation[82] = 8;    // facility code length
    d.unitInformation[83] = 16;   // user ID length
    d.unitInformation[84] = 0x5A; // OEM code byte, not read while the length is 0
    d.unitInformation[90] = 0x34;
    d.unitInformation[91] = 0x12;
    PutEntry(d, 0, "93245500001111", 17, 0);
    PutEntry(d, 2, "12345678901234", 0x00, 0x01);  // not set: no serial, code kept
    return d;
}

TEST(WiegandSettings, FilledFromTheUnitBlocks)
{
    const WiegandSettings s = WiegandSettingsFromUnit(WiegandUnit());
    EXPECT_EQ(s.serialNumber, "10090100004321");
    EXPECT_EQ(s.unitVersionText, "2.6.0.3");
    EXPECT_EQ(s.oemCodeLength, 0);
    EXPECT_EQ(s.oemCode, 0);
    EXPECT_EQ(s.facilityCodeLength, 8);
    EXPECT_EQ(s.userIdLength, 16);
    EXPECT_EQ(s.facilityCode, 0x1234);
    EXPECT_EQ(s.totalBits, 24u);
    EXPECT_TRUE(s.PerScannerMode());
    EXPECT_EQ(s.scannerSerial[0], "93245500001111");
    EXPECT_EQ(s.scannerFacilityCode[0], 17);
    EXPECT_EQ(s.scannerSerial[2], "");
    EXPECT_EQ(s.scannerFacilityCode[2], 256);

    DisplayedInstallation withOem = WiegandUnit();
    withOem.unitInformation[81] = 8;
    EXPECT_EQ(WiegandSettingsFromUnit(withOem).oemCode, 0x5A);
}

TEST(WiegandSettings, StoreBackRebuildsTheScannerTableAndPlacesTheCodes)
{
    DisplayedInstallation d = WiegandUnit();
    const auto informationBefore = d.unitInformation;
    WiegandSettings s = WiegandSettingsFromUnit(d);
    s.oemCodeLength = 4;
    s.oemCode = 9;
    s.facilityCodeLength = 10;
    s.userIdLength = 12;
    s.facilityCode = 0;
    s.scannerSerial = {"93245500009999", "12345678901234", "", "93245500004444"};
    s.scannerFacilityCode = {0x0102, 77, 88, 256};
    StoreWiegandSettings(s, d);

    std::array<std::uint8_t, 64> extra{};
    std::memcpy(&extra[0], "93245500009999", 14);
    extra[14] = 0x02;
    extra[15] = 0x01;
    // Entry 1: 14 characters, but not starting with '9': dropped, code and all.
    // Entry 2: empty: zero.
    std::memcpy(&extra[48], "93245500004444", 14);
    extra[62] = 0x00;
    extra[63] = 0x01;
    EXPECT_EQ(d.unitExtraBlock, extra);

    auto information = informationBefore;
    information[81] = 4;
    information[82] = 10;
    information[83] = 12;
    information[84] = 9;
    information[90] = 0;
    information[91] = 0;
    EXPECT_EQ(d.unitInformation, information);

    // Single-code mode: four zero entries, and the one code kept.
    WiegandSettings single = s;
    single.scannerSerial = {};
    single.facilityCode = 0xBEEF;
    StoreWiegandSettings(single, d);
    EXPECT_TRUE(std::all_of(d.unitExtraBlock.begin(), d.unitExtraBlock.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(d.unitInformation[90], 0xEF);
    EXPECT_EQ(d.unitInformation[91], 0xBE);
    EXPECT_FALSE(WiegandSettingsFromUnit(d).PerScannerMode());
}

TEST(WiegandSettings, ASerialOfOtherCharactersIsStoredOneByteEach)
{
    DisplayedInstallation d = WiegandUnit();
    WiegandSettings s = WiegandSettingsFromUnit(d);
    s.scannerSerial[0] = "9324550000111\xC3\xA4";  // 14 characters, 15 bytes
    StoreWiegandSettings(s, d);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&d.unitExtraBlock[0]), 14), "9324550000111?");
    EXPECT_EQ(d.unitExtraBlock[14], 17);
}

}  // namespace
}  // namespace quorfw
