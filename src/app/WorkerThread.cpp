#include "app/WorkerThread.h"

#include <utility>

namespace quorfw {

WorkerThread::~WorkerThread()
{
    Join();
}

bool WorkerThread::Start(std::function<void()> body)
{
    std::lock_guard lock(mutex_);
    if (running_ || thread_.joinable()) {
        return false;
    }
    running_ = true;
    thread_ = std::thread([this, body = std::move(body)] {
        body();
        std::lock_guard endLock(mutex_);
        running_ = false;
        ended_.notify_all();
    });
    return true;
}

bool WorkerThread::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!ended_.wait_for(lock, timeout, [this] { return !running_; })) {
        return false;
    }
    if (thread_.joinable()) {
        std::thread finished = std::move(thread_);
        lock.unlock();
        finished.join();
    }
    return true;
}

void WorkerThread::Join()
{
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !running_; });
    if (thread_.joinable()) {
        std::thread finished = std::move(thread_);
        lock.unlock();
        finished.join();
    }
}

bool WorkerThread::Running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

}  // namespace quorfw
