#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bus/Transport.h"
#include "common/Clock.h"

namespace quorfw {

// The frame assembly every byte-stream converter shares: writes purge first and are
// continued until complete, reads hunt for STX and take exactly the bytes the length
// word asks for. A device only supplies the primitives below; all waiting goes through
// the injected clock, so an in-memory device in virtual time behaves like a real one.
//
// A derived class must call Close() in its destructor: the base cannot reach the device
// once the derived part is gone.
class StreamTransport : public Transport {
public:
    static constexpr std::uint8_t kStx = 0x02;
    // Largest frame from STX to ETX inclusive; also bounds what the length word may ask for.
    static constexpr std::size_t kMaxFrameBytes = 1188;
    // Smallest total a length word may give.
    static constexpr std::size_t kMinFrameBytes = 6;
    static constexpr std::uint32_t kPollPauseMs = 1;
    // How long one converter read waits for the bytes it was asked for.
    static constexpr std::uint32_t kLineReadTimeoutMs = 1500;
    static constexpr std::uint32_t kReopenPauseMs = 100;

    // Fails when a device is already open or the id is empty. The id and baud are kept
    // even when the open fails, so a later write or read retries the same converter.
    [[nodiscard]] bool Open(const std::string& id, std::uint32_t baud) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return open_; }

    [[nodiscard]] bool Write(std::span<const std::uint8_t> bytes) override;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t timeoutMs) override;

    // Frame total (STX through ETX) that a length word announces.
    [[nodiscard]] static std::size_t FrameTotalFromLengthWord(std::uint16_t lengthWord);

protected:
    explicit StreamTransport(Clock& clock) : clock_(clock) {}

    // Device primitives. Only called in the states noted; "nullopt" means a device error.
    // Called while closed.
    [[nodiscard]] virtual bool OpenDevice(const std::string& id, std::uint32_t baud) = 0;
    // Called while open; must release the device.
    virtual void CloseDevice() = 0;
    // Bytes that can be read now without waiting.
    [[nodiscard]] virtual std::optional<std::size_t> QueuedBytes() = 0;
    // Reads at most into.size() bytes; may return fewer, also 0.
    [[nodiscard]] virtual std::optional<std::size_t> ReadSome(std::span<std::uint8_t> into) = 0;
    // Writes a prefix of bytes; returns how many were taken, 0 when none.
    [[nodiscard]] virtual std::optional<std::size_t> WriteSome(std::span<const std::uint8_t> bytes) = 0;
    // Discards what is queued in both directions.
    virtual void PurgeBoth() = 0;

    [[nodiscard]] Clock& clock() { return clock_; }
    [[nodiscard]] const std::string& id() const { return id_; }
    [[nodiscard]] std::uint32_t baud() const { return baud_; }

private:
    [[nodiscard]] bool Reopen();
    // Fills into as a converter read does: waits for all of it up to the line's read
    // time-out, then hands over what came; nullopt on a device error.
    [[nodiscard]] std::optional<std::size_t> ReadWithLineTimeout(std::span<std::uint8_t> into);
    // Close, pause, reopen: what a device error during a read leads to.
    [[nodiscard]] bool RecoverAfterReadError();

    Clock& clock_;
    std::string id_;
    std::uint32_t baud_ = 0;
    bool open_ = false;
};

}  // namespace quorfw
