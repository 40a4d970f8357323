#include "dialogs/WiegandSettings.h"

#include <algorithm>

#include "app/DisplayedInstallation.h"
#include "app/Utf8.h"
#include "common/LittleEndian.h"
#include "packages/VersionNumber.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kParityBits = 2;

static_assert(kWiegandScanners * kWiegandScannerEntryBytes == BusSession::kUnitExtraBytes);
static_assert(kWiegandFacilityCodeOffset + 2 <= BusSession::kUnitInformationBytes);

std::size_t EntryOffset(std::size_t scanner)
{
    return scanner * kWiegandScannerEntryBytes;
}

}  // namespace

WiegandSettings WiegandSettingsFromUnit(const DisplayedInstallation& displayed)
{
    const auto& information = displayed.unitInformation;
    const auto& extra = displayed.unitExtraBlock;
    WiegandSettings s;
    s.serialNumber = displayed.unit.serial;
    s.unitVersionText = VersionText(displayed.unit.version);
    s.oemCodeLength = information[kWiegandOemCodeLengthOffset];
    s.facilityCodeLength = information[kWiegandFacilityCodeLengthOffset];
    s.userIdLength = information[kWiegandUserIdLengthOffset];
    s.oemCode = s.oemCodeLength != 0 ? information[kWiegandOemCodeOffset] : 0;
    s.facilityCode = ReadLe16(&information[kWiegandFacilityCodeOffset]);
    s.RecomputeTotalBits();
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        const std::uint8_t* entry = &extra[EntryOffset(i)];
        if (entry[0] == kScannerSerialFirstChar) {
            s.scannerSerial[i].assign(entry, entry + kWiegandScannerSerialChars);
        }
        s.scannerFacilityCode[i] = ReadLe16(entry + kWiegandScannerSerialChars);
    }
    return s;
}

void StoreWiegandSettings(const WiegandSettings& settings, DisplayedInstallation& displayed)
{
    auto& information = displayed.unitInformation;
    auto& extra = displayed.unitExtraBlock;
    extra.fill(0);
    for (std::size_t i = 0; i < kWiegandScanners; ++i) {
        const std::string serial = ScannerSerialEntryText(settings.scannerSerial[i]);
        // Validation lets only empty or 14-character serials through; anything else is
        // no entry rather than a cut or padded one.
        if (serial.size() != kWiegandScannerSerialChars || serial[0] != kScannerSerialFirstChar) {
            continue;
        }
        std::uint8_t* entry = &extra[EntryOffset(i)];
        std::copy(serial.begin(), serial.end(), entry);
        WriteLe16(entry + kWiegandScannerSerialChars, settings.scannerFacilityCode[i]);
    }
    WriteLe16(&information[kWiegandFacilityCodeOffset], settings.facilityCode);
    information[kWiegandFacilityCodeLengthOffset] = settings.facilityCodeLength;
    information[kWiegandUserIdLengthOffset] = settings.userIdLength;
    information[kWiegandOemCodeLengthOffset] = settings.oemCodeLength;
    information[kWiegandOemCodeOffset] = settings.oemCode;
}

std::string ScannerSerialEntryText(const std::string& serial)
{
    std::string entry;
    ForEachUtf8Character(serial, [&entry](std::string_view c) { entry.push_back(c.size() == 1 ? c[0] : '?'); });
    return entry;
}

std::string TotalFrameLengthText(std::uint32_t totalBits)
{
    if (totalBits == 0) {
        return {};
    }
    return std::to_string(totalBits + kParityBits) + " bit";
}

}  // namespace quorfw
