#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quorfw {

// What is known of the unit or one module. The session keeps one for the unit (identity
// fields only) and one per module slot; the main window keeps copies for display.
struct ModuleInfo {
    static constexpr std::size_t kInformationBytes = 404;
    static constexpr std::size_t kSerialChars = 14;
    static constexpr std::size_t kSettingBytes = 4;

    // Set when a firmware transfer to this station succeeded; cleared when one starts and
    // when the station has answered again.
    std::uint8_t restartPending = 0;
    std::uint8_t present = 0;
    std::uint32_t address = 0;
    std::uint32_t type = 0;
    // Four two-digit decimal groups: 3000419 is 3.0.4.19.
    std::uint32_t version = 0;
    // At most kSerialChars characters; the first six are the article number.
    std::string serial;
    std::uint8_t reserved = 0;
    // Unit only: the identity answer named a known hardware family.
    std::uint8_t recognised = 0;
    // Modules: the data of the information answer.
    std::array<std::uint8_t, kInformationBytes> information{};
    // 1 when the scan found the module in 0x30000000-0x3FFFFFFF.
    std::uint32_t inHighRange = 0;
    // The setting bytes and word hold values to write back after a firmware update.
    std::uint8_t settingsValid = 0;
    // Module parameters 208, 218, 270 and 256, in this order.
    std::array<std::uint8_t, kSettingBytes> settingBytes{};
    // Module parameter 112.
    std::uint32_t settingWord = 0;
    // Bit 2: a settings block was merged into the information block.
    std::uint32_t updateFlags = 0;
    std::string moduleName;
};

}  // namespace quorfw
