#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quorfw {

struct DisplayedInstallation;

// Where a unit of type 9 keeps its Wiegand output settings: four bytes of the unit
// information block, the facility code word (on units of the facility-code kind) and, in
// the unit extra block, four finger scanner entries of a 14-character serial number and
// a facility code each.
inline constexpr std::size_t kWiegandOemCodeLengthOffset = 81;
inline constexpr std::size_t kWiegandFacilityCodeLengthOffset = 82;
inline constexpr std::size_t kWiegandUserIdLengthOffset = 83;
inline constexpr std::size_t kWiegandOemCodeOffset = 84;
inline constexpr std::size_t kWiegandFacilityCodeOffset = 90;
inline constexpr std::size_t kWiegandScanners = 4;
inline constexpr std::size_t kWiegandScannerEntryBytes = 16;
inline constexpr std::size_t kWiegandScannerSerialChars = 14;
// Every finger scanner serial number starts with this character; an entry that does not
// is no entry.
inline constexpr char kScannerSerialFirstChar = '9';
// The unit type that drives a Wiegand output.
inline constexpr std::uint32_t kWiegandUnitType = 9;

// The Wiegand settings of the displayed unit as the settings dialog and the command line
// edit them. Per-scanner mode when the first scanner serial is not empty; single-code
// mode is stored as four empty scanner entries.
struct WiegandSettings {
    std::string serialNumber;
    std::string unitVersionText;
    std::uint8_t oemCodeLength = 0;
    std::uint8_t oemCode = 0;
    std::uint8_t facilityCodeLength = 0;
    std::uint8_t userIdLength = 0;
    std::uint16_t facilityCode = 0;
    std::array<std::string, kWiegandScanners> scannerSerial{};
    std::array<std::uint16_t, kWiegandScanners> scannerFacilityCode{};
    std::uint32_t totalBits = 0;

    [[nodiscard]] bool PerScannerMode() const { return !scannerSerial[0].empty(); }
    void RecomputeTotalBits() { totalBits = std::uint32_t{oemCodeLength} + facilityCodeLength + userIdLength; }

    friend bool operator==(const WiegandSettings&, const WiegandSettings&) = default;
};

// The settings as the displayed unit's blocks hold them. The OEM code reads as 0 while
// its length is 0; a scanner entry that is not set gives an empty serial but keeps its
// facility code.
[[nodiscard]] WiegandSettings WiegandSettingsFromUnit(const DisplayedInstallation& displayed);

// Writes the settings into the displayed unit's blocks: the extra block is rebuilt from
// the scanner serials (an entry whose serial does not start with '9' stays all zero),
// then the facility code, the three lengths and the OEM code.
void StoreWiegandSettings(const WiegandSettings& settings, DisplayedInstallation& displayed);

// A serial number text (UTF-8) as the 8-bit entry holds it, one byte per character: a
// character outside ASCII, which no serial number contains, becomes '?'.
[[nodiscard]] std::string ScannerSerialEntryText(const std::string& serial);

// The total frame length: "%d bit" of totalBits + 2 (the two parity bits); empty for 0.
[[nodiscard]] std::string TotalFrameLengthText(std::uint32_t totalBits);

}  // namespace quorfw
