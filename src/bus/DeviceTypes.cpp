#include "bus/DeviceTypes.h"

namespace quorfw {

namespace {

UnitIdentityType Known(std::uint32_t type)
{
    return {true, true, type};
}

}  // namespace

UnitIdentityType UnitTypeFromHardwareCode(std::uint32_t hardwareCode)
{
    const std::uint32_t family = hardwareCode >> 16;
    const char variant = static_cast<char>(hardwareCode & 0xFF);
    const bool oneOrFour = variant == '1' || variant == '4';
    switch (family) {
    case 0x1000:
        if (oneOrFour) return Known(1);
        if (variant == 'G') return Known(9);
        break;
    case 0x2000:
        if (oneOrFour) return Known(2);
        if (variant == '3') return Known(3);
        break;
    case 0x2100:
        if (oneOrFour) return Known(8);
        if (variant == '3') return Known(3);
        break;
    case 0x2200:
        if (oneOrFour) return Known(12);
        break;
    default:
        return {};
    }
    // A known family with a variant it does not list: recognised, type untouched.
    return {true, false, 0};
}

std::uint32_t RefineUnitType(std::uint32_t currentType, std::uint8_t configuration, std::uint8_t kindCode,
                             std::uint32_t informationVersion)
{
    if (configuration == 0) {
        return 1;
    }
    const unsigned lowBits = configuration & 0x07;
    if (lowBits == 0 || lowBits == 1) {
        return (configuration & 0x80) != 0 ? 1 : currentType;
    }
    switch (kindCode) {
    case 0:
    case 1:
        return 1;
    case 7:
    case 9:
        return informationVersion > 2020000 ? 8 : 2;
    case 8:
        return 3;
    case 10:
        return 8;
    case 11:
        return 9;
    case 20:
    case 21:
        return 12;
    default:
        return currentType;
    }
}

std::uint32_t ModuleTypeFor(std::uint32_t address, std::uint32_t version)
{
    if (IsIdentityOnlyModuleAddress(address)) {
        return kModuleTypeKeypad;
    }
    return version / 1000000 == 6 ? kModuleTypeFingerScannerOld : kModuleTypeFingerScanner;
}

}  // namespace quorfw
