#pragma once

#include <cstdint>
#include <string>

#include "app/UiStrings.h"
#include "app/UpdateHost.h"
#include "app/UpdateLog.h"
#include "app/UpdateReport.h"

namespace quorfw {

class BusSession;
class MainModel;

// What one run of the scan-and-update worker works with: the model, the host it reports
// to, its session, and the log and report files of the package folder.
class ScanUpdateContext {
public:
    ScanUpdateContext(MainModel& model, UpdateHost& host, BusSession& session);

    MainModel& model;
    UpdateHost& host;
    BusSession& session;

    // Appends the text of a string id, formatted, to the update log and tells the host.
    template <typename... Args>
    void Log(std::uint32_t id, const Args&... args)
    {
        LogText(id, FormatUiString(id, args...));
    }
    void LogText(std::uint32_t id, const std::string& text);
    // Appends a report line for a programmed station.
    void Report(const std::string& serialNumber, const std::string& versionText);
    void Message(std::uint32_t id);

    // Fills a row's identity cells from the session's unit or module slot (rows 0-3) and
    // shows or hides them. A module's name is shown only when its information says so;
    // otherwise the name cell keeps its text.
    void ShowRow(int row, bool visible);

private:
    UpdateLog log_;
    UpdateReport report_;
};

}  // namespace quorfw
