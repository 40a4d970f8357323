#include "packages/PackageCipher.h"

#include <bit>

#include "common/LittleEndian.h"

#if defined(__x86_64__) || defined(__i386__)
#define QUORFW_CIPHER_AVX2 1
#include <immintrin.h>
#endif

namespace quorfw {

namespace {

constexpr std::uint32_t kP32 = 0xB7E15163;
constexpr std::uint32_t kQ32 = 0x9E3779B9;

// The per-round mix of one word: rotl(x * (2x + 1), 5).
inline std::uint32_t Mix(std::uint32_t x)
{
    return std::rotl(x * (2 * x + 1), 5);
}

void ApplyBlock(const std::uint32_t* s, std::uint8_t* block)
{
    std::uint32_t a = ReadLe32(block);
    std::uint32_t b = ReadLe32(block + 4) + s[0];
    std::uint32_t c = ReadLe32(block + 8);
    std::uint32_t d = ReadLe32(block + 12) + s[1];
    for (int r = 1; r <= PackageCipher::kRounds; ++r) {
        const std::uint32_t t = Mix(b);
        const std::uint32_t u = Mix(d);
        a = std::rotl(a ^ t, static_cast<int>(u & 31)) + s[2 * r];
        c = std::rotl(c ^ u, static_cast<int>(t & 31)) + s[2 * r + 1];
        const std::uint32_t oldA = a;
        a = b;
        b = c;
        c = d;
        d = oldA;
    }
    WriteLe32(block, a + s[2 * PackageCipher::kRounds + 2]);
    WriteLe32(block + 4, b);
    WriteLe32(block + 8, c + s[2 * PackageCipher::kRounds + 3]);
    WriteLe32(block + 12, d);
}

#ifdef QUORFW_CIPHER_AVX2

// Eight blocks go through the rounds together, one word of each block per 32-bit lane;
// two such groups are interleaved so the multiplier latency of one hides behind the other.
constexpr std::size_t kLaneBlocks = 8;
constexpr std::size_t kGroups = 2;

struct Lanes {
    __m256i a, b, c, d;
};

__attribute__((target("avx2"))) inline __m256i RotlConst5(__m256i x)
{
    return _mm256_or_si256(_mm256_slli_epi32(x, 5), _mm256_srli_epi32(x, 27));
}

__attribute__((target("avx2"))) inline __m256i RotlVar(__m256i x, __m256i amount)
{
    const __m256i r = _mm256_and_si256(amount, _mm256_set1_epi32(31));
    // A right shift by 32 yields 0 in these instructions, so r = 0 needs no special case.
    return _mm256_or_si256(_mm256_sllv_epi32(x, r), _mm256_srlv_epi32(x, _mm256_sub_epi32(_mm256_set1_epi32(32), r)));
}

__attribute__((target("avx2"))) inline __m256i MixLanes(__m256i x)
{
    const __m256i twoXPlusOne = _mm256_add_epi32(_mm256_add_epi32(x, x), _mm256_set1_epi32(1));
    return RotlConst5(_mm256_mullo_epi32(x, twoXPlusOne));
}

// Four 32-byte rows (two blocks each) to four word vectors and back: a 4x4 transpose
// inside each 128-bit half, which is its own inverse. The block order within the lanes
// differs from memory order, which does not matter as every lane is transformed alike.
__attribute__((target("avx2"))) inline void Transpose(__m256i& r0, __m256i& r1, __m256i& r2, __m256i& r3)
{
    const __m256i t0 = _mm256_unpacklo_epi32(r0, r1);
    const __m256i t1 = _mm256_unpacklo_epi32(r2, r3);
    const __m256i t2 = _mm256_unpackhi_epi32(r0, r1);
    const __m256i t3 = _mm256_unpackhi_epi32(r2, r3);
    r0 = _mm256_unpacklo_epi64(t0, t1);
    r1 = _mm256_unpackhi_epi64(t0, t1);
    r2 = _mm256_unpacklo_epi64(t2, t3);
    r3 = _mm256_unpackhi_epi64(t2, t3);
}

__attribute__((target("avx2"))) inline Lanes LoadLanes(const std::uint8_t* p)
{
    Lanes l{_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 64)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 96))};
    Transpose(l.a, l.b, l.c, l.d);
    return l;
}

__attribute__((target("avx2"))) inline void StoreLanes(std::uint8_t* p, Lanes l)
{
    Transpose(l.a, l.b, l.c, l.d);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), l.a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), l.b);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 64), l.c);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 96), l.d);
}

// Transforms blocks in groups of kGroups * kLaneBlocks; returns how many it did.
__attribute__((target("avx2"))) std::size_t ApplyAvx2(const std::uint32_t* s, std::uint8_t* data, std::size_t blocks)
{
    constexpr std::size_t kStep = kGroups * kLaneBlocks;
    const std::size_t done = blocks - blocks % kStep;
    for (std::size_t i = 0; i < done; i += kStep) {
        std::uint8_t* p = data + i * PackageCipher::kBlockSize;
        Lanes g[kGroups];
        for (std::size_t k = 0; k < kGroups; ++k) {
            g[k] = LoadLanes(p + k * kLaneBlocks * PackageCipher::kBlockSize);
            g[k].b = _mm256_add_epi32(g[k].b, _mm256_set1_epi32(static_cast<int>(s[0])));
            g[k].d = _mm256_add_epi32(g[k].d, _mm256_set1_epi32(static_cast<int>(s[1])));
        }
        for (int r = 1; r <= PackageCipher::kRounds; ++r) {
            const __m256i s0 = _mm256_set1_epi32(static_cast<int>(s[2 * r]));
            const __m256i s1 = _mm256_set1_epi32(static_cast<int>(s[2 * r + 1]));
            for (std::size_t k = 0; k < kGroups; ++k) {
                const __m256i t = MixLanes(g[k].b);
                const __m256i u = MixLanes(g[k].d);
                const __m256i a = _mm256_add_epi32(RotlVar(_mm256_xor_si256(g[k].a, t), u), s0);
                const __m256i c = _mm256_add_epi32(RotlVar(_mm256_xor_si256(g[k].c, u), t), s1);
                g[k] = Lanes{g[k].b, c, g[k].d, a};
            }
        }
        for (std::size_t k = 0; k < kGroups; ++k) {
            g[k].a = _mm256_add_epi32(g[k].a, _mm256_set1_epi32(static_cast<int>(s[2 * PackageCipher::kRounds + 2])));
            g[k].c = _mm256_add_epi32(g[k].c, _mm256_set1_epi32(static_cast<int>(s[2 * PackageCipher::kRounds + 3])));
            StoreLanes(p + k * kLaneBlocks * PackageCipher::kBlockSize, g[k]);
        }
    }
    return done;
}

#endif  // QUORFW_CIPHER_AVX2

}  // namespace

std::uint32_t PackageCipher::DeriveKey(std::uint32_t keyMaterial)
{
    // Packages can only be read with exactly this arrangement of the key word's bits,
    // including bit 12 landing on the same key bit as bit 28.
    const std::uint32_t x = keyMaterial & 0xFFFFFFF0u;
    return (((x & 0x1000u) | (x >> 16)) >> 8) | (((x << 16) | (x & 1u)) << 8);
}

void PackageCipher::SetKey(std::uint32_t keyMaterial)
{
    std::uint32_t l = DeriveKey(keyMaterial);
    s_[0] = kP32;
    for (std::size_t i = 1; i < kRoundKeyCount; ++i) {
        s_[i] = s_[i - 1] + kQ32;
    }
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::size_t i = 0;
    for (std::size_t k = 0; k < 3 * kRoundKeyCount; ++k) {
        a = s_[i] = std::rotl(s_[i] + a + b, 3);
        b = l = std::rotl(l + a + b, static_cast<int>((a + b) & 31));
        i = (i + 1) % kRoundKeyCount;
    }
}

void PackageCipher::ApplyPortable(std::uint8_t* data, std::size_t length) const
{
    const std::size_t blocks = length / kBlockSize;
    for (std::size_t i = 0; i < blocks; ++i) {
        ApplyBlock(s_.data(), data + i * kBlockSize);
    }
}

bool PackageCipher::HasVectorPath()
{
#ifdef QUORFW_CIPHER_AVX2
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    return hasAvx2;
#else
    return false;
#endif
}

void PackageCipher::Apply(std::uint8_t* data, std::size_t length) const
{
    std::size_t done = 0;
#ifdef QUORFW_CIPHER_AVX2
    if (HasVectorPath()) {
        done = ApplyAvx2(s_.data(), data, length / kBlockSize);
    }
#endif
    ApplyPortable(data + done * kBlockSize, length - done * kBlockSize);
}

}  // namespace quorfw
