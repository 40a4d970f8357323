#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bus/StreamTransport.h"
#include "common/Clock.h"
#include "sim/SimInstallation.h"

namespace quorfw {

// The simulated converter: a transport whose far side is a simulated installation, read
// and written through the shared frame assembly exactly as a real converter is. Ids: "sim"
// (the installation given at construction, or the built-in demo installation) and
// "sim:FILE" (an installation file, loaded on the first open of that id). Installation
// time starts when an installation is attached or loaded and runs on the given clock.
class SimConverter final : public StreamTransport {
public:
    static constexpr const char* kId = "sim";
    static constexpr const char* kFilePrefix = "sim:";

    // The built-in installation with this seed is created on the first open of "sim".
    SimConverter(Clock& clock, std::uint64_t seed = 1);
    // Serves this installation for "sim".
    SimConverter(Clock& clock, std::shared_ptr<SimInstallation> installation);
    ~SimConverter() override;
    SimConverter(const SimConverter&) = delete;
    SimConverter& operator=(const SimConverter&) = delete;

    [[nodiscard]] std::vector<std::string> Enumerate() override { return {kId}; }

    // The installation being served; null before the first successful open of a new id.
    [[nodiscard]] std::shared_ptr<SimInstallation> Installation() const { return installation_; }
    // Why the last open of "sim:FILE" failed.
    [[nodiscard]] const std::string& OpenError() const { return openError_; }

protected:
    [[nodiscard]] bool OpenDevice(const std::string& id, std::uint32_t baud) override;
    void CloseDevice() override {}
    [[nodiscard]] std::optional<std::size_t> QueuedBytes() override;
    [[nodiscard]] std::optional<std::size_t> ReadSome(std::span<std::uint8_t> into) override;
    [[nodiscard]] std::optional<std::size_t> WriteSome(std::span<const std::uint8_t> bytes) override;
    void PurgeBoth() override;

private:
    [[nodiscard]] std::uint64_t NowUs();
    void Attach(std::shared_ptr<SimInstallation> installation, std::string id);

    std::uint64_t seed_;
    std::shared_ptr<SimInstallation> installation_;
    // The id the installation was made for, so reopening the same id keeps its state.
    std::string servedId_;
    std::uint64_t originMs_ = 0;
    std::string openError_;
};

}  // namespace quorfw
