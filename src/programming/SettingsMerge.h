#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bus/ModuleInfo.h"

namespace quorfw {

class BusSession;
class Clock;

// Offsets in a module's 404-byte information block and in a package's settings block,
// which share one layout.
namespace infofield {
inline constexpr std::size_t kLength = 0;
inline constexpr std::size_t kVersion = 8;
inline constexpr std::size_t kSerial = 16;
inline constexpr std::size_t kSerialLength = 14;
inline constexpr std::size_t kArticleLength = 6;
inline constexpr std::size_t kTerminator = 31;
inline constexpr std::size_t kAddress = 32;
inline constexpr std::size_t kClearedFirst = 88;
inline constexpr std::size_t kClearedEnd = 100;
inline constexpr std::size_t kOptionFlags = 108;
inline constexpr std::size_t kParameter112 = 112;
inline constexpr std::size_t kValue160 = 160;
inline constexpr std::size_t kParameter208 = 208;
inline constexpr std::size_t kParameter218 = 218;
inline constexpr std::size_t kParameter256 = 256;
inline constexpr std::size_t kFlags265 = 265;
inline constexpr std::size_t kByte266 = 266;
inline constexpr std::size_t kByte269 = 269;
inline constexpr std::size_t kParameter270 = 270;
inline constexpr std::size_t kCleared376 = 376;
}  // namespace infofield

// A settings block must hold at least this much once decrypted; only this much is used.
inline constexpr std::size_t kSettingsBlockLength = 388;
// Option-flag bits that stay the module's own; the package's block supplies the rest.
inline constexpr std::uint32_t kKeptOptionFlags = 0x232290;
// updateFlags bit: a settings block was merged.
inline constexpr std::uint32_t kUpdateFlagMerged = 0x4;

// year x 100 + month of the local calendar date.
[[nodiscard]] int LocalYearMonth(Clock& clock);

// Merges a package's encrypted settings block into the module's information block and
// saves the module's current parameter values for writing back after the update. Without
// a block, or with one that does not decrypt to at least 388 bytes, only the cleared area is
// cleared and `settingsValid` keeps its value. `localYearMonth` decides a dated article rule.
void MergeSettingsTemplate(ModuleInfo& module, const std::vector<std::uint8_t>* encryptedTemplate, int localYearMonth);

// The same for a module slot (0-3) of the session, with its settings template and clock.
void MergeSettingsTemplate(BusSession& session, std::uint8_t slot);

}  // namespace quorfw
