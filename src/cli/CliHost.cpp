#include "cli/CliHost.h"

#include <algorithm>

#include "app/UiStrings.h"
#include "cli/CliJson.h"

namespace quorfw {

namespace {

constexpr int kBarWidth = 30;
constexpr std::uint32_t kTextStepCounter = 2149;

// Log and message texts end with their own line break; the command line adds its own.
std::string WithoutTrailingNewlines(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

CliHost::CliHost(std::ostream& out, std::ostream& err, Options options) : out_(out), err_(err), options_(options) {}

void CliHost::Event(const std::string& json)
{
    if (options_.json && options_.events) {
        out_ << json << '\n' << std::flush;
    }
}

void CliHost::ClearProgressLine()
{
    if (lineOpen_) {
        err_ << '\n';
        lineOpen_ = false;
        lastDrawn_.clear();
    }
}

void CliHost::DrawProgress(bool stepOnly)
{
    if (options_.json || !options_.events) {
        return;
    }
    // Without a terminal every drawing is a line of its own: a step change alone waits for
    // the status text that follows it.
    if (stepOnly && !options_.terminal) {
        return;
    }
    const std::uint32_t percent = std::min<std::uint32_t>(percent_, 100);
    const int filled = static_cast<int>(percent) * kBarWidth / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] ";
    line += std::to_string(percent) + "%";
    if (total_ > 0) {
        line += "  " + FormatUiString(kTextStepCounter, done_, total_);
    }
    if (!status_.empty()) {
        line += "  " + status_;
    }
    if (line == lastDrawn_) {
        return;
    }
    lastDrawn_ = line;
    if (options_.terminal) {
        err_ << "\r\x1b[K" << line << std::flush;
        lineOpen_ = true;
    } else {
        err_ << line << '\n' << std::flush;
    }
}

void CliHost::Tick(std::uint32_t sessionProgress)
{
    std::lock_guard lock(mutex_);
    if (!timerRunning_) {
        return;
    }
    // Reported in tens while not on a terminal, so that a log of the run stays short.
    const std::uint32_t shown = options_.terminal ? sessionProgress : sessionProgress / 10 * 10;
    if (shown == percent_) {
        return;
    }
    percent_ = shown;
    Event(JsonLine({{"event", "progress"}, {"percent", sessionProgress}}));
    DrawProgress();
}

void CliHost::FinishProgressLine()
{
    std::lock_guard lock(mutex_);
    ClearProgressLine();
}

std::vector<std::string> CliHost::TakeLogLines()
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    lines.swap(logLines_);
    return lines;
}

void CliHost::ShowSteps(int done, int total)
{
    std::lock_guard lock(mutex_);
    if (done == done_ && total == total_) {
        return;
    }
    done_ = done;
    total_ = total;
    Event(JsonLine({{"event", "steps"}, {"done", done}, {"total", total}}));
    DrawProgress(true);
}

void CliHost::StartProgressTimer()
{
    std::lock_guard lock(mutex_);
    timerRunning_ = true;
    percent_ = 0;  // a new transfer; the last one's figure is stale
}

void CliHost::StopProgressTimer()
{
    std::lock_guard lock(mutex_);
    timerRunning_ = false;
}

void CliHost::SetProgress(std::uint32_t percent)
{
    std::lock_guard lock(mutex_);
    if (percent == percent_) {
        return;
    }
    percent_ = percent;
    Event(JsonLine({{"event", "progress"}, {"percent", percent}}));
    // The bar follows transfers; the resets around a run's end are not worth a line.
    if (timerRunning_) {
        DrawProgress();
    } else if (options_.directProgress && percent != 0 && (options_.terminal || percent / 10 != drawnTens_)) {
        // Without a terminal a line for every tenth is enough.
        drawnTens_ = percent / 10;
        DrawProgress();
    }
}

void CliHost::SetStatusText(const std::string& text)
{
    std::lock_guard lock(mutex_);
    status_ = WithoutTrailingNewlines(text);
    Event(JsonLine({{"event", "status"}, {"text", status_}}));
    DrawProgress();
}

void CliHost::ShowMessage(std::uint32_t stringId, const std::string& text)
{
    std::lock_guard lock(mutex_);
    const std::string message = WithoutTrailingNewlines(text);
    Event(JsonLine({{"event", "message"}, {"id", stringId}, {"text", message}}));
    if (!options_.json) {
        ClearProgressLine();
        err_ << message << '\n' << std::flush;
    }
}

bool CliHost::Confirm(std::uint32_t stringId, const std::string& text)
{
    // Naming the verb on the command line is the confirmation; the warning is still shown.
    ShowMessage(stringId, text);
    return true;
}

void CliHost::Logged(std::uint32_t stringId, const std::string& text)
{
    std::lock_guard lock(mutex_);
    const std::string line = WithoutTrailingNewlines(text);
    logLines_.push_back(line);
    Event(JsonLine({{"event", "log"}, {"id", stringId}, {"text", line}}));
}

CliHost::Outcome CliHost::LastOutcome()
{
    std::lock_guard lock(mutex_);
    return outcome_;
}

void CliHost::ReportOutcome(std::uint32_t stringId, const std::string& text, int code)
{
    std::lock_guard lock(mutex_);
    outcome_ = {true, stringId, WithoutTrailingNewlines(text), code};
    Event(JsonLine({{"event", "outcome"}, {"id", stringId}, {"text", outcome_.text}, {"code", code}}));
}

}  // namespace quorfw
