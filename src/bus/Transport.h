#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorfw {

// The byte pipe between the tool and the bus: a converter opened by its id, whole frames
// written, one frame at a time read back. Implementations: FTDI converters by serial number,
// serial ttys ("tty:PATH"), and the simulated converter ("sim", "sim:FILE").
class Transport {
public:
    virtual ~Transport() = default;

    // Ids of the converters that can be opened now, in the order they are found.
    [[nodiscard]] virtual std::vector<std::string> Enumerate() = 0;
    // Opens a converter; false when one is already open or it cannot be opened.
    [[nodiscard]] virtual bool Open(const std::string& id, std::uint32_t baud) = 0;
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;

    // Discards whatever is queued in both directions, then writes every byte.
    [[nodiscard]] virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // One frame from STX through the total its length word gives, or nothing when none
    // begins within the time-out or the length word is impossible. A frame that has begun
    // is given the converter's own read time-out to finish, as a converter read waits.
    [[nodiscard]] virtual std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t timeoutMs) = 0;

    // 0 when written, 1 when not: the values a frame send passes on.
    [[nodiscard]] int WriteBytes(const std::uint8_t* bytes, std::size_t count)
    {
        return Write(std::span<const std::uint8_t>(bytes, count)) ? 0 : 1;
    }
};

}  // namespace quorfw
