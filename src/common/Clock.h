#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace quorfw {

// Every sleep and every time reading of the core goes through a Clock, so that the
// simulated installation can run the protocol's long waits in virtual time.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds since an arbitrary start (the tick counter of the protocol).
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
    // Calendar time, for dates in logs, reports and firmware settings.
    virtual std::chrono::system_clock::time_point WallTime() = 0;
};

// Real time: what the product runs on.
class SystemClock final : public Clock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    std::chrono::system_clock::time_point WallTime() override;
};

// Virtual time: sleeping only moves the counter forward. Calendar time is a fixed start
// plus the virtual milliseconds that have passed.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(std::chrono::system_clock::time_point wallStart =
                              std::chrono::system_clock::time_point{std::chrono::seconds{1'780'000'000}});

    std::uint64_t NowMs() override { return nowMs_.load(); }
    void SleepMs(std::uint32_t ms) override { nowMs_.fetch_add(ms); }
    std::chrono::system_clock::time_point WallTime() override;

    void AdvanceMs(std::uint64_t ms) { nowMs_.fetch_add(ms); }

private:
    std::chrono::system_clock::time_point wallStart_;
    std::atomic<std::uint64_t> nowMs_{0};
};

}  // namespace quorfw
