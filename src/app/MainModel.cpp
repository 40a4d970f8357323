#include "app/MainModel.h"

#include <utility>

#include "bus/BusSession.h"
#include "bus/Transport.h"
#include "common/Clock.h"

namespace quorfw {

MainModel::MainModel(Transport& transport, Clock& clock) : transport_(transport), clock_(clock) {}

MainModel::~MainModel()
{
    RequestStop();
    worker_.Join();
}

RowCells& MainModel::Cells(int row)
{
    return row == kUnitRow ? cells_.back() : cells_.at(static_cast<std::size_t>(row));
}

const RowCells& MainModel::Cells(int row) const
{
    return row == kUnitRow ? cells_.back() : cells_.at(static_cast<std::size_t>(row));
}

void MainModel::ClearCells()
{
    cells_.fill(RowCells{});
}

int MainModel::SelectedItemData() const
{
    if (selectorIndex < 0 || selectorIndex >= static_cast<int>(selector.size())) {
        return -1;
    }
    return selector[static_cast<std::size_t>(selectorIndex)].itemData;
}

const UpdateFile* MainModel::PackageOfItem(int itemData) const
{
    if (itemData < 0 || itemData >= static_cast<int>(packages.size())) {
        return nullptr;
    }
    return &packages[static_cast<std::size_t>(itemData)];
}

MainModel::StartResult MainModel::StartOperation(bool mode, std::uint32_t ownAddress, Worker worker,
                                                const std::function<void()>& prepare)
{
    if (!worker_.WaitFor(kPreviousWorkerWait)) {
        RequestStop();
        return StartResult::PreviousStillRunning;
    }
    {
        std::lock_guard lock(sessionMutex_);
        session_.reset();
    }
    if (converterIndex < 0 || converterIndex >= static_cast<int>(converters.size())) {
        return StartResult::NoConverter;
    }
    // A converter that does not open makes the worker find nothing; it reports that.
    (void)transport_.Open(converters[static_cast<std::size_t>(converterIndex)], baudRate);

    BusSession* session = nullptr;
    {
        std::lock_guard lock(sessionMutex_);
        session_ = sessionSeed ? std::make_unique<BusSession>(transport_, clock_, (*sessionSeed)++)
                               : std::make_unique<BusSession>(transport_, clock_);
        session_->link.state.store(kStateOpen);
        session_->link.announcementAddress = 0;
        session_->link.ownAddress = ownAddress;
        session_->progress.store(0);
        session = session_.get();
    }
    operationMode = mode;
    if (prepare) {
        prepare();
    }
    const bool started = worker_.Start([this, session, worker = std::move(worker)] { worker(*this, *session); });
    if (!started) {
        EndOperation();
        return StartResult::PreviousStillRunning;
    }
    return StartResult::Started;
}

void MainModel::EndOperation()
{
    transport_.Close();
    std::lock_guard lock(sessionMutex_);
    session_.reset();
}

bool MainModel::Busy() const
{
    std::lock_guard lock(sessionMutex_);
    return session_ != nullptr;
}

std::uint32_t MainModel::SessionProgress() const
{
    std::lock_guard lock(sessionMutex_);
    return session_ ? session_->progress.load() : 0;
}

void MainModel::RequestStop()
{
    std::lock_guard lock(sessionMutex_);
    if (session_) {
        session_->Close();
    }
}

bool MainModel::WaitForOperation(std::chrono::milliseconds timeout)
{
    return worker_.WaitFor(timeout);
}

void MainModel::WaitForOperation()
{
    worker_.Join();
}

}  // namespace quorfw
