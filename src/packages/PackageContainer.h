#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quorfw {

// The encrypted container that wraps a package file and each image and settings block
// inside it: [magic][keyWord]([totalLength]) then the payload in whole 16-byte blocks.
// The low four bits of keyWord count the padding bytes at the end of the payload.
inline constexpr std::uint32_t kContainerMagicShort = 0xAB980001;
inline constexpr std::uint32_t kContainerMagicLong = 0xAB980002;
inline constexpr std::size_t kContainerMagicOffset = 0;
inline constexpr std::size_t kContainerKeyWordOffset = 4;
inline constexpr std::size_t kContainerTotalLengthOffset = 8;
inline constexpr std::size_t kContainerShortHeaderSize = 8;
inline constexpr std::size_t kContainerLongHeaderSize = 12;
inline constexpr std::uint32_t kContainerPaddingMask = 0x0000000F;
static_assert(kContainerKeyWordOffset + 4 == kContainerShortHeaderSize);
static_assert(kContainerTotalLengthOffset + 4 == kContainerLongHeaderSize);

// Turns a container into its plain contents. True when the input carried a known header
// and `output` now holds the plain contents. A non-empty input that does not start with a
// known magic yields false with `output` an exact copy of the input; every other rejection
// (empty input, long-header length mismatch, header cut short, payload not in whole blocks,
// padding count above the payload) yields false with `output` untouched.
[[nodiscard]] bool DecryptPackageData(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output);

// The same on a buffer that holds the container and receives the plain contents, so a
// file's bytes are held once. On false the buffer keeps the input.
[[nodiscard]] bool DecryptPackageDataInPlace(std::vector<std::uint8_t>& buffer);

// Reads a whole package file and decrypts it. An empty file gives true with an empty
// output; a file that cannot be opened or read gives false.
[[nodiscard]] bool ReadPackageFile(const std::filesystem::path& path, std::vector<std::uint8_t>& output);

}  // namespace quorfw
