// Module programming: one module update of a 256 KiB archive image in virtual time, set
// against the least time the protocol's own waits and the wire at 115200 baud allow, and
// LZO1F-999 on the 1 MiB device container.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "bus/BusCommandCodes.h"
#include "bus/BusDiscovery.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/ModuleIdentity.h"
#include "common/Clock.h"
#include "programming/DeviceContainer.h"
#include "programming/ImageCompression.h"
#include "programming/ModuleProgramming.h"
#include "sim/FrameRecorder.h"
#include "sim/InstallationConfig.h"
#include "sim/SimConverter.h"
#include "sim/SimInstallation.h"
#include "sim/StationLink.h"
#include "tools/DemoImage.h"
#include "tools/PackageWriter.h"

namespace quorfw {
namespace {

constexpr std::size_t kImageBytes = 256 * 1024;
constexpr std::uint8_t kSlot = 1;  // the type-6 finger scanner of the default installation
constexpr std::uint32_t kBaud = 115200;
// The shortest full answer frame: a 27-byte message without escapes.
constexpr std::size_t kMinAnswerFrame = 29;

double WireMs(std::size_t bytes)
{
    return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud;
}

// The least time the frames of one update can take: for every request the sleeps the
// transfer makes around it, and its answer wait, which cannot end before both the request
// and the shortest answer have crossed the line nor before the transaction's delay.
double FloorMs(const std::vector<std::vector<std::uint8_t>>& frames, const BusSession& session)
{
    StationLink reader(1);
    reader.Link().multiplier = session.link.multiplier;
    reader.Link().increment = session.link.increment;
    double floor = 0;
    for (const auto& frame : frames) {
        BusMessage m;
        const bool read = reader.DecodeRequest(frame, m) == DecodeResult::Accepted && !m.IsHeaderOnly();
        const double roundTrip = WireMs(frame.size()) + WireMs(kMinAnswerFrame);
        const std::uint8_t command = read ? m.Command() : 0xFF;
        switch (command) {
        case kCmdKeyAnnouncement: floor += std::max(50.0, roundTrip) + 50 + 50; break;  // TT(100, 50), two pauses
        case kCmdTransferStart: floor += 300 + roundTrip + 300; break;                  // sleep, Transact, sleep
        case kCmdContinue:
            floor += m.Operand1() == 0xFF ? std::max(50.0, WireMs(frame.size()))        // hold, then 50 ms
                                          : 20 + std::max(50.0, roundTrip);             // poll: listen, TT(0, 50)
            break;
        case kCmdTransferBlock: floor += std::max(50.0, roundTrip) + 50; break;  // TT(50, 50), then 50 ms
        case kCmdTransferEnd:
        case kCmdImageCommit:
        case kCmdModuleText: floor += std::max(50.0, roundTrip); break;  // TT(x, 50)
        default: floor += WireMs(frame.size()); break;
        }
    }
    return floor;
}

void BM_ModuleUpdate256KiB(benchmark::State& state)
{
    const bool compressed = state.range(0) != 0;
    const std::string version = compressed ? "3.0.4.20" : "3.0.4.19";
    const auto image = EncryptContainer(GenerateModuleImage(kImageBytes, 5, 3000420), 0x12345670, ContainerHeader::Long);
    double virtualMs = 0;
    double floorMs = 0;
    std::size_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VirtualClock clock;
        auto installation = std::make_shared<SimInstallation>(InstallationConfig::Default(), 1);
        SimConverter converter(clock, installation);
        FrameRecorder recorder(converter);
        BusSession session(recorder, clock, 3);
        if (!recorder.Open(SimConverter::kId, kBaud) || !ScanBus(session) ||
            !ReadModuleInfo(session, kUnitInformationSlot) || !ReadModuleInfo(session, kSlot) ||
            !session.AnnounceLinkKey(BusSession::kAnnounceAll)) {
            state.SkipWithError("installation not found");
            return;
        }
        recorder.written.clear();
        state.ResumeTiming();

        const std::uint64_t startMs = clock.NowMs();
        if (UpdateModule(session, image, version, kSlot, false) != kProgramOk) {
            state.SkipWithError("update failed");
            return;
        }
        virtualMs = static_cast<double>(clock.NowMs() - startMs);

        state.PauseTiming();
        floorMs = FloorMs(recorder.written, session);
        blocks = installation->Firmware().Receiver(0x50234567)->Count().blocks;
        state.ResumeTiming();
    }
    state.counters["virtual_s"] = virtualMs / 1000;
    state.counters["floor_s"] = floorMs / 1000;
    state.counters["ratio"] = virtualMs / floorMs;
    state.counters["blocks"] = static_cast<double>(blocks);
}
BENCHMARK(BM_ModuleUpdate256KiB)->Arg(0)->Arg(1)->ArgName("compressed")->Unit(benchmark::kMillisecond);

// The device container of a firmware that fills the whole 1 MiB area, and of one that
// fills a quarter of it (the rest of the area is zeros).
void BM_CompressDeviceContainer(benchmark::State& state)
{
    const auto firmware = GenerateFirmwareBytes(static_cast<std::size_t>(state.range(0)), 9);
    const auto settings = GenerateSettingsBlock(388, 10);
    const auto container = BuildDeviceContainer(firmware, 0x03000420, settings, {}).value();
    std::size_t packed = 0;
    for (auto _ : state) {
        const PackedImage result = CompressImage(container);
        packed = result.bytes.size();
        benchmark::DoNotOptimize(result.bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * container.size()));
    state.counters["packed_ratio"] = static_cast<double>(packed) / static_cast<double>(container.size());
}
BENCHMARK(BM_CompressDeviceContainer)->Arg(1048576)->Arg(262144)->ArgName("firmware")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorfw
