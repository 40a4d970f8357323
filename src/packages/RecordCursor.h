#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/LittleEndian.h"

namespace quorfw {

// A read position in a decrypted package record. Every read checks that the bytes are
// there first, so lengths taken from the record can never lead outside it.
class RecordCursor {
public:
    explicit RecordCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] std::size_t Position() const { return position_; }
    [[nodiscard]] std::size_t Remaining() const { return bytes_.size() - position_; }

    [[nodiscard]] bool ReadU8(std::uint8_t& value)
    {
        if (Remaining() < 1) {
            return false;
        }
        value = bytes_[position_++];
        return true;
    }

    [[nodiscard]] bool ReadU32(std::uint32_t& value)
    {
        if (Remaining() < 4) {
            return false;
        }
        value = ReadLe32(bytes_.data() + position_);
        position_ += 4;
        return true;
    }

    // The next `length` bytes, or false when fewer remain.
    [[nodiscard]] bool Take(std::size_t length, std::span<const std::uint8_t>& taken)
    {
        if (Remaining() < length) {
            return false;
        }
        taken = bytes_.subspan(position_, length);
        position_ += length;
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace quorfw
