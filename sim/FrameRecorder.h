#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bus/Transport.h"

namespace quorfw {

// Passes everything to another transport (usually the simulated converter) and keeps every
// frame the tool wrote, so tests and benchmarks can read what went out even where no
// station could.
class FrameRecorder final : public Transport {
public:
    explicit FrameRecorder(Transport& inner) : inner_(inner) {}

    std::vector<std::string> Enumerate() override { return inner_.Enumerate(); }
    bool Open(const std::string& id, std::uint32_t baud) override { return inner_.Open(id, baud); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    bool Write(std::span<const std::uint8_t> bytes) override
    {
        written.emplace_back(bytes.begin(), bytes.end());
        const bool ok = inner_.Write(bytes);
        if (afterWrite)
            afterWrite(written.size());
        return ok;
    }
    std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t timeoutMs) override
    {
        return inner_.ReadFrame(timeoutMs);
    }

    std::vector<std::vector<std::uint8_t>> written;
    // Called with the number of frames written so far.
    std::function<void(std::size_t)> afterWrite;

private:
    Transport& inner_;
};

}  // namespace quorfw
