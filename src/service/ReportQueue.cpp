#include "service/ReportQueue.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "app/FileAppend.h"
#include "app/UpdateReport.h"

namespace quorfw {

namespace {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Moves the queue into "UpdateLog-Reporting.txt". A leftover of an interrupted run keeps its
// place at the front: the current queue is appended to it (a rename would replace it and
// lose its reports). False when nothing is to be sent or the files cannot be handled.
bool PrepareReportingFile(const std::filesystem::path& report, const std::filesystem::path& reporting)
{
    std::error_code ec;
    const bool haveReport = std::filesystem::exists(report, ec);
    const bool haveReporting = std::filesystem::exists(reporting, ec);
    if (!haveReporting) {
        if (!haveReport) {
            return false;
        }
        std::filesystem::rename(report, reporting, ec);
        return !ec;
    }
    if (haveReport) {
        const auto current = ReadWholeFile(report);
        const auto leftover = ReadWholeFile(reporting);
        if (!current || !leftover) {
            return false;
        }
        // The leftover's last line may lack its CR LF; it must not run into the next report.
        std::string joined = leftover->empty() || leftover->ends_with("\r\n") ? "" : "\r\n";
        joined += *current;
        if (!AppendToFile(reporting, joined)) {
            return false;
        }
        // Should this fail, the lines are in both files: sent twice later, never lost.
        std::filesystem::remove(report, ec);
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitReportLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find("\r\n");
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 2;
        const std::string_view line = bytes.substr(0, length);
        if (!IsBlank(line)) {
            lines.emplace_back(line);
        }
        bytes.remove_prefix(length);
    }
    return lines;
}

ReportQueueResult SendReportQueue(const std::filesystem::path& packageFolder,
                                  const std::function<bool(std::string_view line)>& send)
{
    ReportQueueResult result;
    const std::filesystem::path report = packageFolder / kUpdateReportFileName;
    const std::filesystem::path reporting = packageFolder / kReportingFileName;
    if (!PrepareReportingFile(report, reporting)) {
        return result;
    }
    const auto bytes = ReadWholeFile(reporting);
    if (!bytes) {
        return result;
    }
    bool allKept = true;
    for (const std::string& line : SplitReportLines(*bytes)) {
        if (send(line)) {
            ++result.sent;
            continue;
        }
        ++result.kept;
        const std::string kept = line.ends_with("\r\n") ? line : line + "\r\n";
        allKept = AppendToFile(report, kept) && allKept;
    }
    // A line that could not be put back keeps the whole sending file for the next run.
    if (allKept) {
        std::error_code ec;
        std::filesystem::remove(reporting, ec);
    }
    return result;
}

}  // namespace quorfw
