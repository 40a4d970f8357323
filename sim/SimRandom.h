#pragma once

#include <cstdint>

namespace quorfw {

// The simulator's only source of chance. A fixed algorithm (SplitMix64) rather than a
// standard distribution, whose output may differ between library versions: the same
// seed must give the same run everywhere.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed = 0) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in 0..bound-1 (bound 0 gives 0). The modulo bias is far below anything a
    // test could observe with the small bounds used here.
    std::uint32_t Below(std::uint32_t bound) { return bound == 0 ? 0 : static_cast<std::uint32_t>(Next() % bound); }

    // True with the given probability (0 never, 1 always).
    bool Chance(double probability)
    {
        if (probability <= 0.0) {
            return false;
        }
        if (probability >= 1.0) {
            return true;
        }
        // 53 random bits make a uniform double in [0, 1).
        const double u = static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
        return u < probability;
    }

    // An independent stream for one consumer, so that adding a draw in one place does
    // not shift the draws of every other.
    [[nodiscard]] SimRandom Fork(std::uint64_t salt) const { return SimRandom(state_ ^ (salt * 0xD1B54A32D192ED03ULL)); }

private:
    std::uint64_t state_;
};

}  // namespace quorfw
