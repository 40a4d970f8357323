// Package decryption throughput beside Crypto++'s RC6 on the same data, and the start-up
// folder scan of 100 packages of 1 MiB (time and peak memory).
#include <benchmark/benchmark.h>

#include <crypto++/algparam.h>
#include <crypto++/argnames.h>
#include <crypto++/rc6.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "packages/PackageCipher.h"
#include "packages/PackageContainer.h"
#include "packages/PackageFolder.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::uint32_t kKeyWord = 0x5EC0DE40;

std::vector<std::uint8_t> RandomBytes(std::size_t size)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> out(size);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(random());
    }
    return out;
}

// Peak resident memory since the last reset, from /proc.
long PeakRssKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

long CurrentRssKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Registered first so that the peak memory it reports is its own.
void BM_LoadPackageFolder100x1MiB(benchmark::State& state)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quorfw-bench-packages-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        PackageRecordContent content;
        content.formatVersion = 7;
        content.articles = {"100301", "200501", "200601", "300701"};
        content.title = "Bench";
        content.name = "Bench";
        const int imageSections[] = {0, 3, 7, 12};
        for (const int s : imageSections) {
            content.sections[s].version = "1.2.3.4";
            content.sections[s].data = EncryptContainer(RandomBytes(kMiB / 4 - 64), kKeyWord, ContainerHeader::Long);
        }
        std::vector<std::uint8_t> record;
        std::string error;
        if (!BuildPackageRecord(content, record, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const std::vector<std::uint8_t> package = EncryptContainer(record, kKeyWord, ContainerHeader::Long);
        for (int i = 0; i < 100; ++i) {
            std::ofstream out(folder / ("p" + std::to_string(i) + ".qup"), std::ios::binary);
            out.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        }
        state.counters["package_MiB"] = static_cast<double>(package.size()) / kMiB;
    }
    long peakAboveStart = 0;
    for (auto _ : state) {
        const long before = CurrentRssKiB();
        ResetPeakRss();
        std::vector<UpdateFile> packages = LoadPackageFolder(folder);
        benchmark::DoNotOptimize(packages.data());
        if (packages.size() != 100) {
            state.SkipWithError("not every package loaded");
            break;
        }
        peakAboveStart = std::max(peakAboveStart, PeakRssKiB() - before);
    }
    state.counters["peak_MiB_above_start"] = static_cast<double>(peakAboveStart) / 1024;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 100 * static_cast<std::int64_t>(kMiB));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadPackageFolder100x1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecryptPackageData(benchmark::State& state)
{
    const std::vector<std::uint8_t> container =
        EncryptContainer(RandomBytes(static_cast<std::size_t>(state.range(0))), kKeyWord, ContainerHeader::Long);
    std::vector<std::uint8_t> plain;
    for (auto _ : state) {
        if (!DecryptPackageData(container, plain)) {
            state.SkipWithError("decryption failed");
            break;
        }
        benchmark::DoNotOptimize(plain.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DecryptPackageData)->Arg(kMiB);

void BM_CipherPortable(benchmark::State& state)
{
    std::vector<std::uint8_t> data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    PackageCipher cipher;
    cipher.SetKey(kKeyWord);
    for (auto _ : state) {
        cipher.ApplyPortable(data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CipherPortable)->Arg(kMiB);

void BM_CipherVector(benchmark::State& state)
{
    if (!PackageCipher::HasVectorPath()) {
        state.SkipWithError("no AVX2 on this processor");
        return;
    }
    std::vector<std::uint8_t> data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    PackageCipher cipher;
    cipher.SetKey(kKeyWord);
    for (auto _ : state) {
        cipher.Apply(data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CipherVector)->Arg(kMiB);

// The same transform by Crypto++ (RC6 encryption, 16 rounds, the package's 4-byte key),
// through its bulk block interface.
void BM_CryptoppRc6(benchmark::State& state)
{
    std::vector<std::uint8_t> data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    const std::uint32_t key = PackageCipher::DeriveKey(kKeyWord);
    const CryptoPP::byte keyBytes[4] = {static_cast<CryptoPP::byte>(key), static_cast<CryptoPP::byte>(key >> 8),
                                        static_cast<CryptoPP::byte>(key >> 16), static_cast<CryptoPP::byte>(key >> 24)};
    CryptoPP::RC6::Encryption encryption;
    encryption.UncheckedSetKey(keyBytes, 4, CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 16));
    for (auto _ : state) {
        encryption.AdvancedProcessBlocks(data.data(), nullptr, data.data(), data.size(), 0);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CryptoppRc6)->Arg(kMiB);

}  // namespace
}  // namespace quorfw
