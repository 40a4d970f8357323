#include "userdata/LogRecord.h"

#include <algorithm>

namespace quorfw {

std::optional<LOGRECORD> LOGRECORD::Read(std::span<const std::uint8_t> source)
{
    if (source.size() < kSize) {
        return std::nullopt;
    }
    LOGRECORD record;
    std::copy_n(source.begin(), kSize, record.bytes.begin());
    return record;
}

std::string LOGRECORD::TextAt(std::size_t offset, std::size_t maxChars, bool stopAtZero) const
{
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    auto last = first + static_cast<std::ptrdiff_t>(maxChars);
    if (stopAtZero) {
        last = std::find(first, last, std::uint8_t{0});
    }
    return std::string(first, last);
}

}  // namespace quorfw
