// Backup and restore of a newer unit with 500 users of two 800-byte templates each, in
// virtual time, set against the least time the protocol allows for the same traffic: the
// wire time of every request and answer at 115200 baud and the waits the protocol
// prescribes around them (delays before an answer is read, pauses after a step, the ten
// seconds after the modules restart). The data part of each operation is measured, from
// the first user-list read (backup) or the first block write (restore) to the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

#include "app/MainModel.h"
#include "app/UpdateHost.h"
#include "bus/BusCommandCodes.h"
#include "common/Clock.h"
#include "common/LittleEndian.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"
#include "userdata/UserDataStart.h"

namespace quorfw {
namespace {

constexpr std::size_t kUsers = 500;
constexpr std::size_t kTemplateBytes = 800;
constexpr std::uint32_t kBaud = 115200;
// Framing around a message on the line: STX, the length word's own escapes aside, ETX.
constexpr std::size_t kFramingBytes = 2;
constexpr std::uint16_t kCmd35ToModuleLength = 28;
// The restore's fixed pauses: five of 2000 ms after the restart, 1000 ms after the scan and
// after the key announcement.
constexpr double kRestorePausesMs = 5 * 2000 + 1000 + 1000;
// The scan after the restart: roll call pause, five polls with their pause, four stations
// acknowledged (pause before and after), one silent listen.
constexpr double kRestoreScanMs = 150 + 5 * 150 + 4 * (50 + 100) + 300;

double WireMs(std::size_t bytes)
{
    return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud;
}

class QuietHost final : public UpdateHost {
public:
    void ResetDisplay() override {}
    void ShowRow(int, const RowIdentity&, bool) override {}
    void SetAvailableVersion(int, const std::string&) override {}
    void SetUpdateStateText(int, const std::string&) override {}
    void ShowAvailabilityCells(int, bool) override {}
    void SetRestartCheck(int, RestartCheck) override {}
    void SetPackageSelector(const std::vector<SelectorEntry>&) override {}
    void SelectPackage(int) override {}
    void SetPackageDescription(const std::string&) override {}
    void EnableInfoButton(bool) override {}
    void EnableSelectors(bool) override {}
    void ShowSteps(int, int) override {}
    void StartProgressTimer() override {}
    void StopProgressTimer() override {}
    void SetProgress(std::uint32_t) override {}
    void SetStatusText(const std::string&) override {}
    void ShowMessage(std::uint32_t id, const std::string&) override { lastMessage = id; }
    bool Confirm(std::uint32_t, const std::string&) override { return true; }
    void Logged(std::uint32_t, const std::string&) override {}
    void OperationEnded(bool) override {}

    std::uint32_t lastMessage = 0;
};

void FillUnit(SimUnitStore& store)
{
    store.users.clear();
    store.templates.clear();
    for (std::size_t i = 0; i < kUsers; ++i) {
        // User numbers are one byte: users 256 apart share their templates' selectors.
        std::vector<std::uint8_t> record(18, 0);
        record[0] = static_cast<std::uint8_t>(i);
        WriteLe32(&record[2], 0x9);  // slots 0 and 1
        std::memcpy(&record[6], "USER", 4);
        store.users.push_back(record);
        for (std::uint32_t slot = 0; slot < 2; ++slot) {
            const std::uint32_t selector = (static_cast<std::uint32_t>(i & 0xFF) << 8) | (slot << 4);
            std::vector<std::uint8_t> data(kTemplateBytes);
            for (std::size_t b = 0; b < data.size(); ++b) {
                data[b] = static_cast<std::uint8_t>(i + slot * 31 + b * 7);
            }
            store.templates[{0x70123456, selector}] = data;
        }
    }
}

// The least time of one understood request: its wire time and its answer's, against the
// delay before the answer is read, and the pauses the operation makes after it.
double RequestFloorMs(const BusMessage& m, std::optional<std::uint32_t> answerBytes)
{
    const double request = WireMs(m.Length() + kFramingBytes);
    const double roundTrip = request + (answerBytes ? WireMs(*answerBytes) : 0);
    switch (m.Command()) {
    case kCmdDataBlockRead:
        return std::max(50.0, roundTrip) + (m.Operand2() == 10 ? 200 : 80);
    case kCmdTemplateRead:
        return std::max(50.0, roundTrip) + 80;
    case kCmdDataBlockWrite:
        if (m.Operand1() == 1) {
            return std::max(800.0, roundTrip);
        }
        return std::max(50.0, roundTrip) + (m.Operand1() == 10 ? 80 : 0);
    case kCmdTemplateWrite:
    case kCmdParameterWrite:
        return std::max(50.0, roundTrip) + 100;
    case kCmdKeyAnnouncement:
        return std::max(50.0, roundTrip) + 50;
    case kCmd35:
        // To module slot 0 before a backup: three unanswered waits of 50 ms after the delay.
        return m.Length() == kCmd35ToModuleLength && !answerBytes ? 50.0 + 3 * 50 : request + 100;
    case kCmdRestart:
        return request + 100;
    default:
        return roundTrip;
    }
}

struct Measure {
    double virtualMs = 0;
    double floorMs = 0;
};

// From the first request that `starts` on: the installation time taken, and the floor of
// the requests the stations understood.
template <typename Starts>
Measure MeasureFrom(const SimInstallation& installation, std::uint64_t endUs, Starts starts, double extraFloorMs)
{
    const auto& requests = installation.Requests();
    const auto& events = installation.Events();
    Measure measure;
    std::optional<double> startMs;
    std::size_t e = 0;
    for (const SimRequestRecord& r : requests) {
        if (r.message.IsHeaderOnly()) {
            continue;
        }
        if (!startMs && starts(r.message)) {
            startMs = static_cast<double>(r.timeUs) / 1000 - WireMs(r.message.Length() + kFramingBytes);
        }
        // The answer, if any, is logged at the request's time by the station it went to.
        while (e < events.size() && events[e].timeUs < r.timeUs) {
            ++e;
        }
        std::optional<std::uint32_t> answer;
        for (std::size_t k = e; k < events.size() && events[k].timeUs == r.timeUs; ++k) {
            if (events[k].type == SimEvent::Type::Answer && events[k].station == r.station) {
                answer = events[k].detail;
                break;
            }
        }
        if (startMs) {
            measure.floorMs += RequestFloorMs(r.message, answer);
        }
    }
    measure.floorMs += extraFloorMs;
    measure.virtualMs = static_cast<double>(endUs) / 1000 - startMs.value_or(0);
    return measure;
}

struct Bench {
    VirtualClock clock;
    std::shared_ptr<SimInstallation> installation;
    std::unique_ptr<SimConverter> converter;
    std::unique_ptr<MainModel> model;
    QuietHost host;

    Bench()
    {
        installation = std::make_shared<SimInstallation>(InstallationConfig::Default(), 1);
        installation->SetLogLimits(10'000'000, 10'000'000);
        converter = std::make_unique<SimConverter>(clock, installation);
        model = std::make_unique<MainModel>(*converter, clock);
        model->converters = {SimConverter::kId};
        model->converterIndex = 0;
        model->packageFolder = std::filesystem::temp_directory_path().string() + "/";
    }
};

std::string BenchFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / ("quorfw-bench-" + std::to_string(::getpid()) + name)).string();
}

void BM_Backup500Users(benchmark::State& state)
{
    const std::string path = BenchFile("-backup.bin");
    Measure measure;
    for (auto _ : state) {
        state.PauseTiming();
        Bench bench;
        FillUnit(bench.installation->Commands().Store());
        state.ResumeTiming();
        if (StartBackup(*bench.model, bench.host, path) != MainModel::StartResult::Started) {
            state.SkipWithError("not started");
            return;
        }
        bench.model->WaitForOperation();
        state.PauseTiming();
        if (!bench.model->lastOperationSucceeded) {
            state.SkipWithError("backup failed");
            return;
        }
        measure = MeasureFrom(
            *bench.installation, bench.clock.NowMs() * 1000,
            [](const BusMessage& m) { return m.Command() == kCmdDataBlockRead && m.Operand2() == 1; }, 0);
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
    state.counters["virtual_s"] = measure.virtualMs / 1000;
    state.counters["floor_s"] = measure.floorMs / 1000;
    state.counters["ratio"] = measure.virtualMs / measure.floorMs;
}
BENCHMARK(BM_Backup500Users)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Restore500Users(benchmark::State& state)
{
    const std::string path = BenchFile("-restore.bin");
    {
        Bench source;
        FillUnit(source.installation->Commands().Store());
        if (StartBackup(*source.model, source.host, path) != MainModel::StartResult::Started) {
            state.SkipWithError("backup not started");
            return;
        }
        source.model->WaitForOperation();
    }
    Measure measure;
    for (auto _ : state) {
        state.PauseTiming();
        Bench bench;
        state.ResumeTiming();
        if (StartRestore(*bench.model, bench.host, path) != MainModel::StartResult::Started) {
            state.SkipWithError("not started");
            return;
        }
        bench.model->WaitForOperation();
        state.PauseTiming();
        if (!bench.model->lastOperationSucceeded) {
            state.SkipWithError("restore failed");
            return;
        }
        measure = MeasureFrom(
            *bench.installation, bench.clock.NowMs() * 1000,
            [](const BusMessage& m) { return m.Command() == kCmdDataBlockWrite; }, kRestorePausesMs + kRestoreScanMs);
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
    state.counters["virtual_s"] = measure.virtualMs / 1000;
    state.counters["floor_s"] = measure.floorMs / 1000;
    state.counters["ratio"] = measure.virtualMs / measure.floorMs;
}
BENCHMARK(BM_Restore500Users)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quorfw
