#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/InstallationConfig.h"
#include "sim/SimCommandSet.h"
#include "sim/SimEvent.h"
#include "sim/SimFirmwareUpdates.h"
#include "sim/SimFrameAssembler.h"
#include "sim/SimModule.h"
#include "sim/SimReply.h"
#include "sim/SimRequestRecord.h"
#include "sim/SimUnit.h"

namespace quorfw {

// The stations of one installation on their shared bus, and the line between the bus and
// the converter. Time is installation time in microseconds, given by the caller: the
// simulated converter passes its clock (virtual in tests), the pty server the system
// clock. Nothing here reads a clock, so the same seed and the same traffic at the same
// times give the same run.
class SimInstallation {
public:
    // Bits on the line per byte: start, eight data, stop.
    static constexpr std::uint64_t kBitsPerByte = 10;

    SimInstallation(const InstallationConfig& config, std::uint64_t seed);
    SimInstallation(const SimInstallation&) = delete;
    SimInstallation& operator=(const SimInstallation&) = delete;

    [[nodiscard]] const InstallationConfig& Config() const { return config_; }
    [[nodiscard]] std::uint64_t Seed() const { return seed_; }
    [[nodiscard]] SimUnit& Unit() { return *unit_; }
    [[nodiscard]] std::size_t ModuleCount() const { return modules_.size(); }
    [[nodiscard]] SimModule& Module(std::size_t slot) { return *modules_.at(slot); }
    // The station with that bus address, or null.
    [[nodiscard]] SimStation* FindStation(std::uint32_t address);
    // The run's fault script; rules may be added before or during a run.
    [[nodiscard]] FaultPlan& Faults() { return faults_; }
    // Roll call, identity, unit data and what the tool wrote.
    [[nodiscard]] SimCommandSet& Commands() { return *commands_; }
    // Firmware transfers the stations took in, and their restarts into new firmware.
    [[nodiscard]] SimFirmwareUpdates& Firmware() { return *firmware_; }

    // --- The line. ---

    // Bytes the tool wrote, completely at the stations at arrivedUs. Whole frames are
    // answered at once; a frame split over several writes is answered when complete.
    void ReceiveFromTool(std::span<const std::uint8_t> bytes, std::uint64_t arrivedUs);
    // Bytes that have reached the converter by nowUs and were not read or discarded.
    [[nodiscard]] std::size_t ArrivedBytes(std::uint64_t nowUs);
    // Takes up to into.size() of them.
    [[nodiscard]] std::size_t ReadArrived(std::uint64_t nowUs, std::span<std::uint8_t> into);
    // The converter's purge: what has arrived is lost; what is still on the line is not.
    void DiscardArrived(std::uint64_t nowUs);
    // When the next byte still on the line arrives, if any.
    [[nodiscard]] std::optional<std::uint64_t> NextArrivalUs() const;
    // Puts bytes on the line towards the converter, arriving at atUs.
    void InjectToTool(std::vector<std::uint8_t> bytes, std::uint64_t atUs);
    // Time the line takes for that many bytes at the installation's baud rate.
    [[nodiscard]] std::uint64_t WireUs(std::size_t bytes) const;
    // Applies what the fault script says has happened by nowUs (restarts, silences).
    void AdvanceTo(std::uint64_t nowUs);

    // --- What happened. Kept up to the log limits, oldest entries dropped first. ---

    [[nodiscard]] const std::deque<SimRequestRecord>& Requests() const { return requests_; }
    [[nodiscard]] const std::deque<SimEvent>& Events() const { return events_; }
    void ClearLogs();
    void SetLogLimits(std::size_t requests, std::size_t events);

private:
    struct LineChunk {
        std::uint64_t readyUs = 0;
        std::vector<std::uint8_t> bytes;
        std::size_t taken = 0;
    };

    void HandleFrame(std::span<const std::uint8_t> frame, std::uint64_t arrivedUs);
    void SendReply(SimStation& station, const SimReply& reply, std::uint8_t command, std::uint64_t arrivedUs);
    [[nodiscard]] std::vector<std::uint8_t> Garbage(std::uint32_t count);
    void Corrupt(std::vector<std::uint8_t>& frame, std::uint32_t count);
    void QueueToTool(std::vector<std::uint8_t> bytes, std::uint64_t readyUs);
    void Log(const SimEvent& event);

    InstallationConfig config_;
    std::uint64_t seed_;
    std::unique_ptr<SimUnit> unit_;
    std::vector<std::unique_ptr<SimModule>> modules_;
    FaultPlan faults_;
    std::unique_ptr<SimCommandSet> commands_;
    std::unique_ptr<SimFirmwareUpdates> firmware_;
    SimFrameAssembler ear_;
    std::deque<LineChunk> line_;
    std::uint64_t lastAdvanceUs_ = 0;
    std::deque<SimRequestRecord> requests_;
    std::deque<SimEvent> events_;
    std::size_t requestLimit_ = 4096;
    std::size_t eventLimit_ = 65536;
};

}  // namespace quorfw
