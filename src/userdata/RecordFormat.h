#pragma once

#include <cstdint>

namespace quorfw {

// Units from this firmware version on deliver and accept 18-byte user records and the
// 33-byte form of unit block 2; older units use 16-byte records and the 17-byte form.
inline constexpr std::uint32_t NEW_FORMAT_VERSION = 2017503;

[[nodiscard]] constexpr bool UsesNewRecordFormat(std::uint32_t unitVersion)
{
    return unitVersion >= NEW_FORMAT_VERSION;
}

}  // namespace quorfw
