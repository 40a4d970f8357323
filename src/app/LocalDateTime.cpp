#include "app/LocalDateTime.h"

#include <cstdio>
#include <ctime>

namespace quorfw {

std::string FormatLocalDateTime(WallClockTime time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr)
        return {};
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    // 1 to maxDigits decimal digits.
    std::optional<int> Number(std::size_t maxDigits)
    {
        std::size_t digits = 0;
        int value = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && digits < maxDigits) {
            value = value * 10 + (text_[pos_++] - '0');
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return value;
    }
    bool Skip(char c)
    {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void SkipSpaces()
    {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    std::size_t Position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

struct DateParts {
    int year = 0, month = 0, day = 0;
};

std::optional<DateParts> ReadDate(Reader& in)
{
    const std::size_t start = in.Position();
    const auto first = in.Number(4);
    if (!first)
        return std::nullopt;
    DateParts date;
    if (in.Position() - start == 4) {  // yyyy-mm-dd
        date.year = *first;
        const auto month = in.Skip('-') ? in.Number(2) : std::nullopt;
        const auto day = month && in.Skip('-') ? in.Number(2) : std::nullopt;
        if (!day)
            return std::nullopt;
        date.month = *month;
        date.day = *day;
    } else {  // d.m.yyyy
        const auto month = in.Skip('.') ? in.Number(2) : std::nullopt;
        const std::size_t yearStart = in.Position() + 1;
        const auto year = month && in.Skip('.') ? in.Number(4) : std::nullopt;
        if (!year || in.Position() - yearStart != 4)
            return std::nullopt;
        date.day = *first;
        date.month = *month;
        date.year = *year;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{date.year}, std::chrono::month{static_cast<unsigned>(date.month)},
                                          std::chrono::day{static_cast<unsigned>(date.day)}};
    if (!ymd.ok())
        return std::nullopt;
    return date;
}

}  // namespace

std::optional<std::chrono::local_seconds> ParseLocalDateTime(std::string_view text)
{
    Reader in(text);
    in.SkipSpaces();
    const auto date = ReadDate(in);
    if (!date)
        return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    if (in.Peek() == 'T' || in.Peek() == ' ') {
        if (!in.Skip('T'))
            in.SkipSpaces();
        if (!in.AtEnd()) {
            const auto h = in.Number(2);
            const auto m = h && in.Skip(':') ? in.Number(2) : std::nullopt;
            if (!m)
                return std::nullopt;
            hour = *h;
            minute = *m;
            if (in.Skip(':')) {
                const auto s = in.Number(2);
                if (!s)
                    return std::nullopt;
                second = *s;
            }
        }
    }
    in.SkipSpaces();
    if (!in.AtEnd() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day ymd{year{date->year}, month{static_cast<unsigned>(date->month)},
                             day{static_cast<unsigned>(date->day)}};
    return local_days{ymd} + hours{hour} + minutes{minute} + seconds{second};
}

std::chrono::local_seconds ToLocalDateTime(WallClockTime time)
{
    using namespace std::chrono;
    const std::time_t secondsSinceEpoch = system_clock::to_time_t(time);
    std::tm local{};
    if (::localtime_r(&secondsSinceEpoch, &local) == nullptr)
        return local_seconds{seconds{secondsSinceEpoch}};
    const year_month_day ymd{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                             day{static_cast<unsigned>(local.tm_mday)}};
    return local_days{ymd} + hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
}

std::optional<WallClockTime> FromLocalDateTime(std::chrono::local_seconds localTime)
{
    using namespace std::chrono;
    const local_days day = floor<days>(localTime);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> time{localTime - day};
    std::tm local{};
    local.tm_year = static_cast<int>(ymd.year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    local.tm_hour = static_cast<int>(time.hours().count());
    local.tm_min = static_cast<int>(time.minutes().count());
    local.tm_sec = static_cast<int>(time.seconds().count());
    local.tm_isdst = -1;  // let the time zone decide summer time
    const std::time_t secondsSinceEpoch = std::mktime(&local);
    if (secondsSinceEpoch == static_cast<std::time_t>(-1))
        return std::nullopt;
    return system_clock::from_time_t(secondsSinceEpoch);
}

}  // namespace quorfw
