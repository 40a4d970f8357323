#include "userdata/BackupTrace.h"

#include <string>

#include "app/FileAppend.h"

namespace quorfw {

void AppendBackupTrace(std::string_view text, const std::filesystem::path& folder)
{
    std::string line(text);
    line += "\r\n";
    // The trace only follows what the reader did; a line it cannot take is not worth
    // failing a restore for.
    (void)AppendToFile(folder / kBackupTraceFileName, line);
}

BackupTraceSink BackupTraceFileSink(std::filesystem::path folder)
{
    return [folder = std::move(folder)](std::string_view line) { AppendBackupTrace(line, folder); };
}

}  // namespace quorfw
