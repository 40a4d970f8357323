#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorfw {

// One access-log entry as the unit delivers it (38 bytes). Only the fields the log export
// shows are given names; the record itself is carried whole.
struct LOGRECORD {
    static constexpr std::size_t kSize = 38;
    static constexpr std::size_t kNumberOffset = 3;
    static constexpr std::size_t kTextOffset = 4;
    static constexpr std::size_t kTextMax = 7;
    static constexpr std::size_t kHourOffset = 16;
    static constexpr std::size_t kMinuteOffset = 18;
    static constexpr std::size_t kDayOffset = 21;
    static constexpr std::size_t kMonthOffset = 23;
    static constexpr std::size_t kYearOffset = 25;
    static constexpr std::size_t kSecondNumberOffset = 30;
    static constexpr std::size_t kSecondTextOffset = 31;
    static constexpr std::size_t kSecondTextMax = 5;
    static constexpr std::size_t kEventCodeOffset = 36;
    static constexpr std::size_t kBitsOffset = 37;

    std::array<std::uint8_t, kSize> bytes{};

    [[nodiscard]] static std::optional<LOGRECORD> Read(std::span<const std::uint8_t> source);

    [[nodiscard]] std::uint8_t Number() const { return bytes[kNumberOffset]; }
    // Up to the first zero byte, at most 7 characters.
    [[nodiscard]] std::string Text() const { return TextAt(kTextOffset, kTextMax); }
    // Two digit characters each, four for the year, exactly as stored.
    [[nodiscard]] std::string Hour() const { return TextAt(kHourOffset, 2, false); }
    [[nodiscard]] std::string Minute() const { return TextAt(kMinuteOffset, 2, false); }
    [[nodiscard]] std::string Day() const { return TextAt(kDayOffset, 2, false); }
    [[nodiscard]] std::string Month() const { return TextAt(kMonthOffset, 2, false); }
    [[nodiscard]] std::string Year() const { return TextAt(kYearOffset, 4, false); }
    [[nodiscard]] std::uint8_t SecondNumber() const { return bytes[kSecondNumberOffset]; }
    // Up to the first zero byte, at most 5 characters.
    [[nodiscard]] std::string SecondText() const { return TextAt(kSecondTextOffset, kSecondTextMax); }
    [[nodiscard]] char EventCode() const { return static_cast<char>(bytes[kEventCodeOffset]); }
    // Bits 0-3 only.
    [[nodiscard]] std::uint8_t Bits() const { return bytes[kBitsOffset] & 0x0F; }

private:
    [[nodiscard]] std::string TextAt(std::size_t offset, std::size_t maxChars, bool stopAtZero = true) const;
};

static_assert(LOGRECORD::kTextOffset + LOGRECORD::kTextMax <= LOGRECORD::kHourOffset);
static_assert(LOGRECORD::kYearOffset + 4 <= LOGRECORD::kSecondNumberOffset);
static_assert(LOGRECORD::kSecondTextOffset + LOGRECORD::kSecondTextMax == LOGRECORD::kEventCodeOffset);
static_assert(LOGRECORD::kBitsOffset + 1 == LOGRECORD::kSize);

}  // namespace quorfw
