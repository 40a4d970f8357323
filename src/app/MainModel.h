#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/BaudRateFile.h"
#include "app/DisplayedInstallation.h"
#include "app/GridRows.h"
#include "app/UpdateHost.h"
#include "app/WorkerThread.h"
#include "packages/UpdateFile.h"
#include "userdata/UserDataOutcome.h"
#include "userdata/UserDataSet.h"

namespace quorfw {

class BusSession;
class Clock;
class Transport;

// What the cells of one grid row show.
struct RowCells {
    RowIdentity identity;
    bool identityVisible = false;
    std::string available;
    std::string state;
    bool availabilityVisible = false;
    RestartCheck restartCheck = RestartCheck::None;
    // Bus address and type of the station the identity cells were last filled from (0 when
    // not known). The grid has no cells for them; the command line lists them.
    std::uint32_t address = 0;
    std::uint32_t type = 0;
};

// What the main window holds, without the window: the displayed installation, the package
// list and selector, the remembered selection, the operation mode, the downgrade flag,
// anyOffered, the converter list and the settings an operation needs, and at most one
// running operation with its BusSession.
//
// Threads: while no operation runs the model belongs to the thread that owns it (the
// window's). An operation's worker thread works on it from StartOperation until it calls
// EndOperation; meanwhile the owner may only call the members marked thread-safe
// (Busy, SessionProgress, RequestStop, WaitForOperation, AnyOffered). The worker reports
// through an UpdateHost, which receives copies.
class MainModel {
public:
    // Own address of every operation but the Wiegand edit.
    static constexpr std::uint32_t kOwnAddress = 0x20000000;
    static constexpr std::uint32_t kWiegandOwnAddress = 0xA0000000;
    static constexpr std::chrono::milliseconds kPreviousWorkerWait{5000};

    MainModel(Transport& transport, Clock& clock);
    ~MainModel();
    MainModel(const MainModel&) = delete;
    MainModel& operator=(const MainModel&) = delete;

    // --- Settings and lists. ---
    std::vector<std::string> converters;
    int converterIndex = -1;  // -1: no converter selected
    std::uint32_t baudRate = quorfw::kDefaultBaudRate;
    std::string packageFolder;
    std::string userName;
    bool downgradeAllowed = false;
    std::vector<UpdateFile> packages;
    // Seeds the link's dice of each operation's session, counting up per operation, so that
    // a run on the simulated bus can be repeated; unset, each session draws its own seed.
    std::optional<std::uint32_t> sessionSeed;

    // --- What the window shows. ---
    DisplayedInstallation displayed;
    std::vector<SelectorEntry> selector;
    int selectorIndex = -1;
    int rememberedSelection = -1;
    bool selectorsEnabled = true;
    bool infoEnabled = false;
    std::string packageDescription;
    // Scan only (false) or scan and update (true).
    bool operationMode = false;
    // How the last operation ended; written by its worker before it ends.
    bool lastOperationSucceeded = false;

    // --- Backup, restore and export. ---
    // The file the operation writes or reads.
    std::string userDataPath;
    // The users and blocks of one backup or restore; the user list is emptied at its end.
    UserDataSet userData;
    UserDataOutcome userDataOutcome;

    [[nodiscard]] RowCells& Cells(int row);
    [[nodiscard]] const RowCells& Cells(int row) const;
    void ClearCells();

    // Item data of the selector's selected entry; negative when none is selected.
    [[nodiscard]] int SelectedItemData() const;
    // The package of a selector item data, or null.
    [[nodiscard]] const UpdateFile* PackageOfItem(int itemData) const;

    // Set once some row was marked as offered (update state 1); never cleared. Thread-safe.
    [[nodiscard]] bool AnyOffered() const { return anyOffered_.load(); }
    void SetAnyOffered() { anyOffered_.store(true); }

    // --- Operations. ---
    enum class StartResult { Started, NoConverter, PreviousStillRunning, Cancelled };
    using Worker = std::function<void(MainModel&, BusSession&)>;

    // Waits up to 5000 ms for a previous operation, opens the selected converter at the
    // baud rate, creates a fresh session in state open with `ownAddress`, sets the
    // operation mode, runs `prepare` (if any) and starts `worker` on its own thread. The
    // worker must end by calling EndOperation. A previous worker that does not end in time
    // is asked to stop, and the new operation is refused rather than pulling its session
    // away under it.
    [[nodiscard]] StartResult StartOperation(bool mode, std::uint32_t ownAddress, Worker worker,
                                             const std::function<void()>& prepare = {});

    // Called by the worker as its last act: closes the converter and destroys the session.
    void EndOperation();

    // Thread-safe: an operation's session exists.
    [[nodiscard]] bool Busy() const;
    // Thread-safe: the running transfer's percentage, 0 without a session.
    [[nodiscard]] std::uint32_t SessionProgress() const;
    // Thread-safe: asks the running operation to stop (session state closed).
    void RequestStop();
    // Thread-safe: waits for the worker thread; true when none runs (any more).
    [[nodiscard]] bool WaitForOperation(std::chrono::milliseconds timeout);
    void WaitForOperation();

    // The enabling rules of the scan and update commands.
    [[nodiscard]] bool CanScan() const { return !Busy(); }
    [[nodiscard]] bool CanUpdate() const { return !Busy() && !selector.empty() && AnyOffered(); }

    [[nodiscard]] Transport& transport() { return transport_; }
    [[nodiscard]] Clock& clock() { return clock_; }

private:
    Transport& transport_;
    Clock& clock_;
    std::array<RowCells, kModuleRowCount + 1> cells_{};
    std::atomic<bool> anyOffered_{false};

    mutable std::mutex sessionMutex_;
    std::unique_ptr<BusSession> session_;
    WorkerThread worker_;
};

}  // namespace quorfw
