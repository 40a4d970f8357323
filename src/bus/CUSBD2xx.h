#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bus/StreamTransport.h"

struct ftdi_context;

namespace quorfw {

// An FTDI converter driven directly over USB, opened by its serial number.
class CUSBD2xx final : public StreamTransport {
public:
    explicit CUSBD2xx(Clock& clock);
    ~CUSBD2xx() override;
    CUSBD2xx(const CUSBD2xx&) = delete;
    CUSBD2xx& operator=(const CUSBD2xx&) = delete;

    // Serial numbers of the converters plugged in that pass ListedSerial.
    [[nodiscard]] std::vector<std::string> Enumerate() override;

    // How a device's serial number is listed: starting with '*'..'?' (digits among them)
    // in full, starting with "CT" cut to 16 characters, anything else not at all.
    [[nodiscard]] static std::optional<std::string> ListedSerial(std::string_view serial);

protected:
    [[nodiscard]] bool OpenDevice(const std::string& serial, std::uint32_t baud) override;
    void CloseDevice() override;
    [[nodiscard]] std::optional<std::size_t> QueuedBytes() override;
    [[nodiscard]] std::optional<std::size_t> ReadSome(std::span<std::uint8_t> into) override;
    [[nodiscard]] std::optional<std::size_t> WriteSome(std::span<const std::uint8_t> bytes) override;
    void PurgeBoth() override;

private:
    [[nodiscard]] bool OpenBySerial(const std::string& serial);
    [[nodiscard]] bool SetUpLine(std::uint32_t baud);

    ftdi_context* ftdi_ = nullptr;
    // The USB layer hands over whole packets; what the frame reader has not yet asked
    // for waits here, and counts as queued.
    std::vector<std::uint8_t> received_;
};

}  // namespace quorfw
