#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorfw {

// Version numbers are four two-digit decimal groups: "a.b.c.d" stands for
// a * 1000000 + b * 10000 + c * 100 + d, and 0 means "no version".

// Each "."-separated part, from the left, multiplies the number so far by 100 and adds
// the part's decimal value (its leading digits; a part without digits counts 0). An
// empty text gives 0. Arithmetic wraps at 32 bits, as the device's version word does.
[[nodiscard]] std::uint32_t VersionToInt(std::string_view text);

// "a.b.c.d" for a number; the empty text for 0.
[[nodiscard]] std::string VersionText(std::uint32_t version);

}  // namespace quorfw
