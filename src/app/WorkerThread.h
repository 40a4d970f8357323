#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quorfw {

// The one thread an operation runs on, with the timed wait the window needs before it
// starts the next operation. Waiting is on real time: it waits for another thread, not
// for the bus, so the clock seam does not apply.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body; false while a previous body has not been waited for.
    [[nodiscard]] bool Start(std::function<void()> body);
    // True when no body runs (any more); the thread is then joined.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout);
    void Join();
    [[nodiscard]] bool Running() const;

private:
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
};

}  // namespace quorfw
