#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// A program update file: marker 0x80, a 32-bit little-endian entry count, then per entry a
// 32-bit name length (1 to 50 bytes), the name in UTF-16LE (up to its first NUL), a 32-bit
// data length (at least 1) and the data.
inline constexpr std::uint8_t kProgramUpdateMarker = 0x80;
inline constexpr std::uint32_t kMaxProgramEntryNameBytes = 50;

struct ProgramUpdateEntry {
    std::string name;   // UTF-8
    bool nameReadable;  // false: the name is not UTF-16, or holds something after a NUL
    std::string data;
};

struct ProgramUpdateContents {
    bool markerOk = false;
    std::uint32_t declaredCount = 0;
    // The entries that could be read, in order; reading stops at the first damaged one.
    std::vector<ProgramUpdateEntry> entries;
    // Every declared entry was read.
    bool complete = false;
};

[[nodiscard]] ProgramUpdateContents ReadProgramUpdate(std::string_view bytes);

// True when an entry name is a plain file name in the program folder: not empty, no "/" or
// "\", no "..", no drive letter, not "." .
[[nodiscard]] bool IsSafeProgramFileName(std::string_view name);

// The file for entries of (UTF-8 name, data); for tests, demos and the service simulator.
[[nodiscard]] std::string EncodeProgramUpdate(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace quorfw
