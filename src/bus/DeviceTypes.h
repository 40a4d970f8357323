#pragma once

#include <cstdint>

namespace quorfw {

// The top four bits of a bus address give its role.
[[nodiscard]] constexpr std::uint32_t AddressRole(std::uint32_t address)
{
    return address >> 28;
}

// Addresses under which modules answer the roll call.
[[nodiscard]] constexpr bool IsModuleAddress(std::uint32_t address)
{
    const auto role = AddressRole(address);
    return role == 0x3 || role == 0x5 || role == 0x7 || role == 0x8;
}

// Modules of this range identify themselves by command 5 only (keypads).
[[nodiscard]] constexpr bool IsIdentityOnlyModuleAddress(std::uint32_t address)
{
    return AddressRole(address) == 0x8;
}

inline constexpr std::uint32_t kModuleTypeFingerScannerOld = 5;  // firmware generation 6
inline constexpr std::uint32_t kModuleTypeFingerScanner = 6;
inline constexpr std::uint32_t kModuleTypeKeypad = 7;
inline constexpr std::uint32_t kUnitTypeWithModules = 3;

// What the identity answer's hardware code says of a unit: whether its family is known,
// and the type when the variant letter is one the family lists.
struct UnitIdentityType {
    bool recognised = false;
    bool typeKnown = false;
    std::uint32_t type = 0;
};

// Family in the top 16 bits of the hardware code, an ASCII variant letter in the low byte.
[[nodiscard]] UnitIdentityType UnitTypeFromHardwareCode(std::uint32_t hardwareCode);

// The unit information refines the type: configuration byte first, then the kind code
// (with the firmware version of the information block deciding between two generations).
// Returns `currentType` where neither decides.
[[nodiscard]] std::uint32_t RefineUnitType(std::uint32_t currentType, std::uint8_t configuration, std::uint8_t kindCode,
                                           std::uint32_t informationVersion);

// Keypads by address; finger scanners by the first group of their firmware version.
[[nodiscard]] std::uint32_t ModuleTypeFor(std::uint32_t address, std::uint32_t version);

}  // namespace quorfw
