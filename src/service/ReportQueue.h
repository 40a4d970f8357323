#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorfw {

// The queue being sent; it exists only while reports are sent (or after a run broke off).
inline constexpr std::string_view kReportingFileName = "UpdateLog-Reporting.txt";

struct ReportQueueResult {
    int sent = 0;  // acknowledged by the service
    int kept = 0;  // not acknowledged: back in "UpdateLog-Report.txt" for a later run
};

// The report lines of a queue file, each with its CR LF. A last line without CR LF is
// taken whole; lines holding nothing are dropped.
[[nodiscard]] std::vector<std::string> SplitReportLines(std::string_view bytes);

// Sends the queued reports of the package folder, one line per call of send (true: the
// service acknowledged it). A "UpdateLog-Reporting.txt" left by a run that broke off goes
// first, then "UpdateLog-Report.txt"; the lines that are not acknowledged are appended to
// "UpdateLog-Report.txt" in their order. Every line is sent once in the run or kept.
ReportQueueResult SendReportQueue(const std::filesystem::path& packageFolder,
                                  const std::function<bool(std::string_view line)>& send);

}  // namespace quorfw
