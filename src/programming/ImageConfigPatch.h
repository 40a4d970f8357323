#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "bus/ModuleInfo.h"

namespace quorfw {

class BusSession;

// Where a firmware image keeps its checksum and configuration area; moved twice as the
// firmware's header grew.
struct ImageLayout {
    std::size_t checksumOffset;
    std::size_t sumStart;
    std::size_t configOffset;

    friend bool operator==(const ImageLayout&, const ImageLayout&) = default;
};

inline constexpr ImageLayout kLayoutUpTo5000000{0x24, 0x28, 0x38};
inline constexpr ImageLayout kLayoutBelow5050000{0x3C, 0x40, 0x50};
inline constexpr ImageLayout kLayoutFrom5050000{0x1040, 0x1044, 0x1054};

// Every layout: the 32-bit word here gives the offset where the summed range ends.
inline constexpr std::size_t kImageSumEndOffset = 0x20;
// The configuration area: a flag word, then the first 388 bytes of the information block.
inline constexpr std::size_t kConfigFlagLength = 4;
inline constexpr std::size_t kConfigInfoLength = 388;
inline constexpr std::size_t kConfigAreaLength = kConfigFlagLength + kConfigInfoLength;
static_assert(kImageSumEndOffset + 4 <= kLayoutUpTo5000000.checksumOffset);

inline constexpr std::uint32_t kInformationBlockLength = 404;
inline constexpr std::uint32_t kConfigFlagOption4 = 0x40000000;
inline constexpr std::uint32_t kConfigFlagAddress6 = 0x80000000;

[[nodiscard]] ImageLayout ImageLayoutForVersion(std::uint32_t version);

// The image holds the layout's configuration area and its summed range ends inside it.
[[nodiscard]] bool ImageFitsLayout(std::span<const std::uint8_t> image, const ImageLayout& layout);

// Wrapping sum of the little-endian words from `start` up to `end`; a final partial word
// counts whole (bytes past the image as 0); an end not above the start gives 0.
[[nodiscard]] std::uint32_t ImageWordSum(std::span<const std::uint8_t> image, std::size_t start, std::size_t end);

// The configuration area's flag word for a (merged) information block.
[[nodiscard]] std::uint32_t ConfigFlagWord(const ModuleInfo& module);

// Merges the settings block into the module, then writes the configuration area and the
// checksum into the decrypted image. An image too short for its layout is refused (false)
// before anything, image or module, is changed.
[[nodiscard]] bool PatchImageConfig(std::vector<std::uint8_t>& image, std::uint32_t version, ModuleInfo& module,
                                    const std::vector<std::uint8_t>* encryptedTemplate, int localYearMonth);

// The same for a module slot (0-3) of the session.
[[nodiscard]] bool PatchImageConfig(BusSession& session, std::vector<std::uint8_t>& image, std::uint32_t version,
                                    std::uint8_t slot);

}  // namespace quorfw
