#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace quorfw {

// An immutable run of bytes inside a shared buffer. Copies share the buffer, so a
// package's images can travel between the package list, dialogs and workers without
// their megabytes being copied; since nobody can change the bytes, every copy still
// behaves as an independent value.
class SharedBytes {
public:
    SharedBytes() = default;

    explicit SharedBytes(std::vector<std::uint8_t> bytes)
        : owner_(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)))
        , size_(owner_->size())
    {
    }

    // A slice of `owner`; a slice that does not lie inside it becomes empty.
    SharedBytes(std::shared_ptr<const std::vector<std::uint8_t>> owner, std::size_t offset, std::size_t size)
    {
        if (owner && offset <= owner->size() && size <= owner->size() - offset) {
            owner_ = std::move(owner);
            offset_ = offset;
            size_ = size;
        }
    }

    [[nodiscard]] const std::uint8_t* data() const { return owner_ ? owner_->data() + offset_ : nullptr; }
    [[nodiscard]] std::size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    [[nodiscard]] const std::uint8_t* begin() const { return data(); }
    [[nodiscard]] const std::uint8_t* end() const { return data() + size_; }
    [[nodiscard]] std::span<const std::uint8_t> span() const { return {data(), size_}; }
    operator std::span<const std::uint8_t>() const { return span(); }

    // A private, writable copy for a caller that prepares the bytes (decrypts, patches).
    [[nodiscard]] std::vector<std::uint8_t> ToVector() const { return {begin(), end()}; }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> owner_;
    std::size_t offset_ = 0;
    std::size_t size_ = 0;
};

}  // namespace quorfw
