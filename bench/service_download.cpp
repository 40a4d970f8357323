// A 200 MiB package from the update service simulator on loopback: how fast the client
// streams it to disk, and that its memory does not grow with the file.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "service/GenericHTTPClient.h"
#include "tools/service-sim/ServiceSimulator.h"

namespace {

constexpr std::size_t kFileBytes = 200u * 1024 * 1024;

// A /proc/self/status field in KiB (VmRSS: now, VmHWM: peak since the last reset).
long StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field)) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_Download200MiB(benchmark::State& state)
{
    std::random_device random;
    const auto folder = std::filesystem::temp_directory_path() / ("quorfw-bench-" + std::to_string(random()));
    std::filesystem::create_directories(folder / "served");
    {
        std::ofstream out(folder / "served" / "big.qup", std::ios::binary);
        const std::string chunk(1024 * 1024, 'q');
        for (std::size_t written = 0; written < kFileBytes; written += chunk.size()) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
    }
    quorfw::ServiceSimulator simulator(folder / "served");
    const int port = simulator.Start();
    if (port < 0) {
        state.SkipWithError("the simulator could not listen");
        return;
    }
    quorfw::GenericHTTPClient client;
    client.SetPort(port);
    const std::string url = "127.0.0.1/files/big.qup";

    double seconds = 0;
    long growthKiB = 0;
    for (auto _ : state) {
        std::filesystem::remove(folder / "big.qup");
        ResetPeakRss();
        const long before = StatusKiB("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        const quorfw::DownloadStatus status = client.Download(url, folder / "big.qup");
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        growthKiB = StatusKiB("VmHWM:") - before;
        if (status != quorfw::DownloadStatus::Complete || std::filesystem::file_size(folder / "big.qup") != kFileBytes) {
            state.SkipWithError("the download did not complete");
            break;
        }
    }
    simulator.Stop();
    std::filesystem::remove_all(folder);

    const double mibPerSecond = static_cast<double>(kFileBytes) / (1024.0 * 1024.0) / seconds;
    state.counters["MiB_per_s"] = mibPerSecond;
    state.counters["peak_rss_growth_MiB"] = static_cast<double>(growthKiB) / 1024.0;
    std::printf("download of 200 MiB on loopback: %.1f MiB/s, peak RSS growth %.2f MiB (server in the same process)\n",
                mibPerSecond, static_cast<double>(growthKiB) / 1024.0);
}

BENCHMARK(BM_Download200MiB)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
