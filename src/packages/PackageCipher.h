#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorfw {

// The block cipher of the package container: RC6 with 32-bit words, 16 rounds and a
// one-word key, in ECB mode. Packages are stored transformed by the cipher's inverse,
// so the plain text comes back by running the forward (encryption) direction.
// Lives on the caller's stack for one container; holds nothing but the round keys.
class PackageCipher {
public:
    static constexpr std::size_t kBlockSize = 16;
    static constexpr int kRounds = 16;
    static constexpr std::size_t kRoundKeyCount = 2 * kRounds + 4;

    // The one-word cipher key hidden in a container's key word (low four bits cleared).
    [[nodiscard]] static std::uint32_t DeriveKey(std::uint32_t keyMaterial);

    // Derives the key from the key material and expands it into the round keys.
    void SetKey(std::uint32_t keyMaterial);

    // Transforms every whole 16-byte block of the buffer in place. A trailing partial
    // block is left alone: the container reader never passes one, and touching it would
    // mean reading past the buffer.
    void Apply(std::uint8_t* data, std::size_t length) const;

    // The same transform one block at a time, without vector instructions. Apply falls
    // back to it on processors without AVX2 and for the blocks left after the lanes.
    void ApplyPortable(std::uint8_t* data, std::size_t length) const;

    // Whether Apply runs blocks through vector lanes on this processor.
    [[nodiscard]] static bool HasVectorPath();

    // For the package builder, which needs the inverse transform under the same keys.
    [[nodiscard]] const std::array<std::uint32_t, kRoundKeyCount>& RoundKeys() const { return s_; }

private:
    std::array<std::uint32_t, kRoundKeyCount> s_{};
};

}  // namespace quorfw
