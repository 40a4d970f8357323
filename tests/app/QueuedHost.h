#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/UpdateHost.h"

namespace quorfw::test {

// A stand-in for the window's thread: runs posted calls one after the other and, between
// them, an idle function about once a millisecond (the window's timer).
class UiThread {
public:
    explicit UiThread(std::function<void()> idle) : idle_(std::move(idle)), thread_([this] { Loop(); }) {}
    ~UiThread()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Runs `call` on this thread and waits for it, as a blocking queued call does.
    void Call(std::function<void()> call)
    {
        std::packaged_task<void()> task(std::move(call));
        std::future<void> done = task.get_future();
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        wake_.notify_all();
        done.wait();
    }

private:
    void Loop()
    {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            wake_.wait_for(lock, std::chrono::milliseconds(1), [this] { return stop_ || !tasks_.empty(); });
            while (!tasks_.empty()) {
                std::packaged_task<void()> task = std::move(tasks_.front());
                tasks_.pop_front();
                lock.unlock();
                task();
                lock.lock();
            }
            lock.unlock();
            idle_();
            lock.lock();
        }
    }

    std::function<void()> idle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void()>> tasks_;
    bool stop_ = false;
    std::thread thread_;
};

// Hands every report to `target` on the UI thread and waits until it has been handled.
class QueuedHost final : public UpdateHost {
public:
    QueuedHost(UiThread& ui, UpdateHost& target) : ui_(ui), target_(target) {}

    void ResetDisplay() override { ui_.Call([&] { target_.ResetDisplay(); }); }
    void ShowRow(int row, const RowIdentity& identity, bool visible) override
    {
        ui_.Call([&] { target_.ShowRow(row, identity, visible); });
    }
    void SetAvailableVersion(int row, const std::string& text) override
    {
        ui_.Call([&] { target_.SetAvailableVersion(row, text); });
    }
    void SetUpdateStateText(int row, const std::string& text) override
    {
        ui_.Call([&] { target_.SetUpdateStateText(row, text); });
    }
    void ShowAvailabilityCells(int row, bool visible) override
    {
        ui_.Call([&] { target_.ShowAvailabilityCells(row, visible); });
    }
    void SetRestartCheck(int row, RestartCheck check) override
    {
        ui_.Call([&] { target_.SetRestartCheck(row, check); });
    }
    void SetPackageSelector(const std::vector<SelectorEntry>& entries) override
    {
        ui_.Call([&] { target_.SetPackageSelector(entries); });
    }
    void SelectPackage(int index) override { ui_.Call([&] { target_.SelectPackage(index); }); }
    void SetPackageDescription(const std::string& text) override
    {
        ui_.Call([&] { target_.SetPackageDescription(text); });
    }
    void EnableInfoButton(bool enabled) override { ui_.Call([&] { target_.EnableInfoButton(enabled); }); }
    void EnableSelectors(bool enabled) override { ui_.Call([&] { target_.EnableSelectors(enabled); }); }
    void ShowSteps(int done, int total) override { ui_.Call([&] { target_.ShowSteps(done, total); }); }
    void StartProgressTimer() override { ui_.Call([&] { target_.StartProgressTimer(); }); }
    void StopProgressTimer() override { ui_.Call([&] { target_.StopProgressTimer(); }); }
    void SetProgress(std::uint32_t percent) override { ui_.Call([&] { target_.SetProgress(percent); }); }
    void SetStatusText(const std::string& text) override { ui_.Call([&] { target_.SetStatusText(text); }); }
    void ShowMessage(std::uint32_t id, const std::string& text) override
    {
        ui_.Call([&] { target_.ShowMessage(id, text); });
    }
    bool Confirm(std::uint32_t id, const std::string& text) override
    {
        bool answer = false;
        ui_.Call([&] { answer = target_.Confirm(id, text); });
        return answer;
    }
    void Logged(std::uint32_t id, const std::string& text) override { ui_.Call([&] { target_.Logged(id, text); }); }
    void OperationEnded(bool succeeded) override { ui_.Call([&] { target_.OperationEnded(succeeded); }); }

private:
    UiThread& ui_;
    UpdateHost& target_;
};

}  // namespace quorfw::test
