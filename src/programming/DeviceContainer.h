#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorfw {

// The container the device firmware command programs: the image in a fixed 1 MiB area,
// the version as BCD, the package's settings block and the package's article numbers.
inline constexpr std::size_t kDeviceContainerLengthOffset = 0;
inline constexpr std::size_t kDeviceContainerFormatOffset = 4;
inline constexpr std::size_t kDeviceImageOffset = 8;
inline constexpr std::size_t kDeviceImageArea = 1048576;
inline constexpr std::size_t kDeviceVersionOffset = kDeviceImageOffset + kDeviceImageArea;
inline constexpr std::size_t kDeviceSettingsOffset = kDeviceVersionOffset + 4;
inline constexpr std::size_t kDeviceSettingsLength = 388;
inline constexpr std::size_t kDeviceValuesOffset = kDeviceSettingsOffset + kDeviceSettingsLength;
inline constexpr std::size_t kMaxDeviceValues = 61;
inline constexpr std::uint32_t kDeviceContainerFormat = 2;
static_assert(kDeviceVersionOffset == 1048584);
static_assert(kDeviceSettingsOffset == 1048588);
static_assert(kDeviceValuesOffset == 1048976);

// The header in front of the (compressed) container as it is transferred.
inline constexpr std::size_t kDevicePackHeaderLength = 12;

// A decimal text as the device expects it: leading blanks, an optional sign, then digits
// up to the first other character; wraps at 32 bits.
[[nodiscard]] std::uint32_t DeviceValueFromText(const std::string& text);

// No container for an image above the 1 MiB area or a settings block shorter than 388
// bytes (only its first 388 bytes are used). Values past the 61st are left out.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> BuildDeviceContainer(std::span<const std::uint8_t> image,
                                                                           std::uint32_t versionBcd,
                                                                           std::span<const std::uint8_t> settings,
                                                                           std::span<const std::string> values);

// LZO1F-999 of the container (raw when not smaller) behind its 12-byte header:
// packed length + 12, 0, container length.
[[nodiscard]] std::vector<std::uint8_t> PackDeviceContainer(std::span<const std::uint8_t> container);

}  // namespace quorfw
