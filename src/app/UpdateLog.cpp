#include "app/UpdateLog.h"

#include "app/FileAppend.h"
#include "app/Utf8.h"
#include "common/Clock.h"

namespace quorfw {

std::string FormatLogEntry(WallClockTime time, std::string_view text)
{
    std::string entry = FormatLocalDateTime(time);
    entry.push_back('-');
    // The log is UTF-8 throughout; bytes that are not become replacement characters.
    entry.append(SanitizeUtf8(text));
    return entry;
}

UpdateLog::UpdateLog(std::filesystem::path packageFolder, Clock& clock)
    : folder_(std::move(packageFolder)), clock_(clock)
{
}

bool UpdateLog::AppendUpdateLog(std::string_view text) const
{
    return AppendToFile(FilePath(), FormatLogEntry(clock_.WallTime(), text));
}

}  // namespace quorfw
