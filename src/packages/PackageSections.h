#pragma once

#include <array>
#include <optional>

namespace quorfw {

// A package carries 13 sections; most hold the firmware image of one module type.
inline constexpr int kPackageSectionCount = 13;
inline constexpr int kSettingsSection = 4;       // settings block for every module type but 5
inline constexpr int kType5SettingsSection = 5;  // settings block for module type 5
inline constexpr int kInfoTextSection = 6;       // plain 8-bit information text

// The section that holds the image and version of a module type; none for type 4 and
// for every type outside 1 to 12.
[[nodiscard]] constexpr std::optional<int> SectionForModuleType(int moduleType)
{
    constexpr std::array<int, 13> kSectionOfType = {
        -1,  // 0: no such type
        1,   // 1
        2,   // 2
        7,   // 3: control unit
        -1,  // 4: has no section
        3,   // 5
        0,   // 6
        12,  // 7: keypad
        8,   // 8
        1,   // 9: shares section 1 with type 1
        9,   // 10
        10,  // 11
        11,  // 12
    };
    if (moduleType < 0 || moduleType >= static_cast<int>(kSectionOfType.size()) || kSectionOfType[moduleType] < 0) {
        return std::nullopt;
    }
    return kSectionOfType[moduleType];
}

// The settings section that programming merges into a module of this type.
[[nodiscard]] constexpr int SettingsSectionForModuleType(int moduleType)
{
    return moduleType == 5 ? kType5SettingsSection : kSettingsSection;
}

}  // namespace quorfw
