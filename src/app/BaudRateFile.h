#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace quorfw {

// The bus baud rate may be set in a small text file in the working directory.
inline constexpr std::string_view kBaudRateFileName = "quorFWupdate.ini";
inline constexpr std::uint32_t kDefaultBaudRate = 115200;
// Rates below this are not usable on the bus and fall back to the default.
inline constexpr std::uint32_t kMinimumBaudRate = 9600;
// Only this many characters of the first line are looked at.
inline constexpr std::size_t kBaudRateLineChars = 19;

// The rate from the first line's leading decimal digits (after blanks and an optional sign);
// the default when the line has no digits, the value is below the minimum or does not fit.
std::uint32_t ParseBaudRateLine(std::string_view firstLine);

// The rate from the file; the default when the file is missing, unreadable or empty.
std::uint32_t ReadBaudRateFile(const std::filesystem::path& file);

}  // namespace quorfw
