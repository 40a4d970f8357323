#include "common/Clock.h"

#include <thread>

namespace quorfw {

std::uint64_t SystemClock::NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(std::uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::chrono::system_clock::time_point SystemClock::WallTime()
{
    return std::chrono::system_clock::now();
}

VirtualClock::VirtualClock(std::chrono::system_clock::time_point wallStart) : wallStart_(wallStart) {}

std::chrono::system_clock::time_point VirtualClock::WallTime()
{
    return wallStart_ + std::chrono::milliseconds(nowMs_.load());
}

}  // namespace quorfw
