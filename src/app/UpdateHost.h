#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorfw {

// What the serial-number, version and name cells of a row show.
struct RowIdentity {
    std::string serial;
    std::string version;
    // Set when the station has a name to show; otherwise the name cell keeps its text.
    bool hasName = false;
    std::string name;
};

// One entry of the package selector: the package's name and its index in the package list.
struct SelectorEntry {
    std::string text;
    int itemData = -1;
};

// How a programmed station was found after its restart.
enum class RestartCheck {
    None,          // not programmed in this run
    Verified,      // answered again with the programmed version
    NotBack,       // sent, but it did not answer within the wait
    OtherVersion,  // answered again, with another version than the programmed one
};

// Where an operation reports to. The operations never touch a view: the desktop window
// implements this with blocking calls onto its own thread, the command line by printing,
// the tests by recording. Every value is passed as a copy; a host must not read the
// operation's BusSession. Rows are module rows 0-7 or kUnitRow (GridRows.h).
class UpdateHost {
public:
    virtual ~UpdateHost() = default;

    // Disables the Info button, hides the identity cells of the unit row and module rows
    // 0-3, clears both status panes and the package description, progress to 0.
    virtual void ResetDisplay() = 0;
    virtual void ShowRow(int row, const RowIdentity& identity, bool visible) = 0;
    virtual void SetAvailableVersion(int row, const std::string& text) = 0;
    virtual void SetUpdateStateText(int row, const std::string& text) = 0;
    // Shows or hides the available-version and update-state cells of a row.
    virtual void ShowAvailabilityCells(int row, bool visible) = 0;
    virtual void SetRestartCheck(int row, RestartCheck check) = 0;

    // Replaces the selector's entries (none selected), then selects one.
    virtual void SetPackageSelector(const std::vector<SelectorEntry>& entries) = 0;
    virtual void SelectPackage(int index) = 0;
    virtual void SetPackageDescription(const std::string& text) = 0;
    virtual void EnableInfoButton(bool enabled) = 0;
    virtual void EnableSelectors(bool enabled) = 0;

    // The update step counter: steps done and steps in total.
    virtual void ShowSteps(int done, int total) = 0;
    // While the progress timer runs the host shows the session's progress once a second
    // (MainModel::SessionProgress).
    virtual void StartProgressTimer() = 0;
    virtual void StopProgressTimer() = 0;
    virtual void SetProgress(std::uint32_t percent) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // A message for the user by string id; the text is given as loaded (formatted). Id 0:
    // a fixed text of the program's own.
    virtual void ShowMessage(std::uint32_t stringId, const std::string& text) = 0;
    // A question with OK and Cancel; true for OK.
    [[nodiscard]] virtual bool Confirm(std::uint32_t stringId, const std::string& text) = 0;
    // An entry the operation appended to the update log (string id, formatted text).
    virtual void Logged(std::uint32_t stringId, const std::string& text) = 0;
    // How an operation that shows no message of its own ended (the Wiegand write, the
    // device firmware programming), for a front end that tells the user: a text by string
    // id, as loaded and formatted, and the operation's result code (0: done as asked).
    virtual void ReportOutcome(std::uint32_t /*stringId*/, const std::string& /*text*/, int /*code*/) {}
    // The operation has ended and its session is gone: refresh the enabled states.
    virtual void OperationEnded(bool succeeded) = 0;
};

}  // namespace quorfw
