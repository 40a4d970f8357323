#include "app/BaudRateFile.h"

#include <cstdint>
#include <fstream>

namespace quorfw {

std::uint32_t ParseBaudRateLine(std::string_view line)
{
    line = line.substr(0, kBaudRateLineChars);
    if (line.substr(0, 3) == "\xEF\xBB\xBF")  // an editor's byte order mark is not part of the number
        line.remove_prefix(3);
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    std::uint64_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(line[i] - '0');
        if (value > INT32_MAX)
            return kDefaultBaudRate;  // an unreadable number counts as 0
    }
    if (negative || value < kMinimumBaudRate)
        return kDefaultBaudRate;
    return static_cast<std::uint32_t>(value);
}

std::uint32_t ReadBaudRateFile(const std::filesystem::path& file)
{
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return kDefaultBaudRate;
        char line[kBaudRateLineChars + 1] = {};
        std::size_t length = 0;
        char c = 0;
        while (length < kBaudRateLineChars && in.get(c) && c != '\n')
            line[length++] = c;
        return ParseBaudRateLine(std::string_view(line, length));
    } catch (const std::exception&) {
        return kDefaultBaudRate;
    }
}

}  // namespace quorfw
