#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quorfw {

class BusSession;

// Results of programming a module.
inline constexpr int kProgramOk = 0;
inline constexpr int kProgramEmptyImage = 1;
// The image could not be prepared: it did not decrypt, or does not fit its layout or the
// device container. Nothing was sent.
inline constexpr int kProgramImageUnusable = 3;
inline constexpr int kProgramTransferFailed = 4;

// From this version on, module firmware expects its image LZO-compressed.
inline constexpr std::uint32_t kFirstCompressedVersion = 3000420;

// The four two-digit groups of a version as BCD bytes, the first group in the top byte:
// 3000419 gives 0x03000419. A group above 99 keeps its last two digits.
[[nodiscard]] constexpr std::uint32_t VersionToBcd(std::uint32_t version)
{
    std::uint32_t bcd = 0;
    std::uint32_t divisor = 1000000;
    for (int group = 0; group < 4; ++group) {
        const std::uint32_t value = (version / divisor) % 100;
        bcd = (bcd << 8) | ((value / 10) << 4) | (value % 10);
        divisor /= 100;
    }
    return bcd;
}
static_assert(VersionToBcd(3000419) == 0x03000419);

// Programs one module (slot 0-3) with an encrypted package image of `version`: decrypts it,
// carries the module's configuration into it, compresses it or wraps it into the device
// container (`deviceFlag`), transfers it and marks the module as waiting for its restart.
[[nodiscard]] int ProgramModule(BusSession& session, std::span<const std::uint8_t> encryptedImage,
                                std::uint32_t version, std::uint8_t slot, bool deviceFlag);

// ProgramModule for a version text; an empty image gives kProgramEmptyImage. Stores the
// time the programming took in the session's transferDuration.
[[nodiscard]] int UpdateModule(BusSession& session, std::span<const std::uint8_t> encryptedImage,
                               std::string_view versionText, std::uint8_t slot, bool deviceFlag);

}  // namespace quorfw
