#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bus/StreamTransport.h"

namespace quorfw {

// A converter the kernel drives as a serial tty: an FTDI converter bound to its kernel
// driver, any USB-RS-485 adapter, or a pseudo-terminal with a simulated installation on
// the other side. Ids are "tty:" followed by the device path.
class TtyTransport final : public StreamTransport {
public:
    static constexpr const char* kIdPrefix = "tty:";

    // devRoot is where the device nodes are looked for when enumerating.
    explicit TtyTransport(Clock& clock, std::filesystem::path devRoot = "/dev");
    ~TtyTransport() override;
    TtyTransport(const TtyTransport&) = delete;
    TtyTransport& operator=(const TtyTransport&) = delete;

    // The stable names under serial/by-id first, then ttyUSB* and ttyACM* nodes that no
    // by-id name already stands for.
    [[nodiscard]] std::vector<std::string> Enumerate() override;

protected:
    [[nodiscard]] bool OpenDevice(const std::string& id, std::uint32_t baud) override;
    void CloseDevice() override;
    [[nodiscard]] std::optional<std::size_t> QueuedBytes() override;
    [[nodiscard]] std::optional<std::size_t> ReadSome(std::span<std::uint8_t> into) override;
    [[nodiscard]] std::optional<std::size_t> WriteSome(std::span<const std::uint8_t> bytes) override;
    void PurgeBoth() override;

private:
    [[nodiscard]] bool ConfigureLine(std::uint32_t baud);

    std::filesystem::path devRoot_;
    int fd_ = -1;
};

}  // namespace quorfw
