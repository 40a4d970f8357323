#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bus/Transport.h"
#include "common/Clock.h"

namespace quorfw {

// The one transport the program owns: it lists the converters of every registered kind
// and passes each call to the transport the id of the last Open belongs to.
class ConverterHub final : public Transport {
public:
    enum class Kind { Ftdi, Tty, Simulated };

    ConverterHub() = default;
    ~ConverterHub() override;
    ConverterHub(const ConverterHub&) = delete;
    ConverterHub& operator=(const ConverterHub&) = delete;

    // The FTDI and tty transports of the machine, on the given clock.
    [[nodiscard]] static std::unique_ptr<ConverterHub> WithHardware(Clock& clock);

    // Replaces the transport of that kind. Refused while a converter is open.
    [[nodiscard]] bool Register(Kind kind, std::unique_ptr<Transport> transport);

    // Kind an id is opened with: "tty:..." a tty, "sim" and "sim:..." the simulation,
    // anything else an FTDI serial number.
    [[nodiscard]] static Kind KindOfId(const std::string& id);

    // FTDI serials, then tty ids, then the simulated ones.
    [[nodiscard]] std::vector<std::string> Enumerate() override;
    [[nodiscard]] bool Open(const std::string& id, std::uint32_t baud) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override;
    [[nodiscard]] bool Write(std::span<const std::uint8_t> bytes) override;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t timeoutMs) override;

private:
    [[nodiscard]] Transport* TransportOf(Kind kind) const;

    std::unique_ptr<Transport> ftdi_;
    std::unique_ptr<Transport> tty_;
    std::unique_ptr<Transport> simulated_;
    // Where the last Open went, kept after Close (and after a failed Open) so that a write
    // or read reopens the same converter, as every transport does on its own.
    Transport* active_ = nullptr;
};

}  // namespace quorfw
