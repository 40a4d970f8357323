#pragma once

#include <cstddef>
#include <cstdint>

namespace quorfw {

class BusSession;

// Slots of Identify and ReadModuleInfo besides a module slot 0-3.
inline constexpr std::uint8_t kIdentifyUnit = 0xFF;
inline constexpr std::uint8_t kUnitInformationSlot = 0xFF;
inline constexpr std::uint8_t kUnitExtraSlot = 0xFD;

// Unit information block layout.
inline constexpr std::size_t kUnitConfigurationOffset = 0;
inline constexpr std::size_t kUnitInfoVersionOffset = 16;
inline constexpr std::size_t kUnitModuleAddressesOffset = 24;
inline constexpr std::size_t kUnitWiegandOffset = 81;
inline constexpr std::size_t kUnitKindCodeOffset = 85;
inline constexpr std::size_t kUnitModuleCountOffset = 90;
// On units of this kind code the module count field holds the Wiegand facility code.
inline constexpr std::uint8_t kKindCodeFacilityCode = 0x0B;

// Module information block layout.
inline constexpr std::size_t kModuleInfoVersionOffset = 8;
inline constexpr std::size_t kModuleInfoSerialOffset = 16;
inline constexpr std::size_t kModuleInfoFlagsOffset = 265;

// Identity answer of the unit (kIdentifyUnit) or a present module slot: version and serial
// number; for the unit also `recognised` and the type its hardware family and variant give.
// Four attempts; false when the station is not present or never answered 0x91.
[[nodiscard]] bool Identify(BusSession& session, std::uint8_t slot);

// The unit information block (kUnitInformationSlot; refines the unit type and, on a unit of
// type 3, takes the module slots from it), the unit extra block (kUnitExtraSlot), or a
// module's information block or identity (keypads) and its name (slots 0-3). True when any
// read of the call succeeded; the records keep their contents where nothing usable came.
[[nodiscard]] bool ReadModuleInfo(BusSession& session, std::uint8_t slot);

}  // namespace quorfw
