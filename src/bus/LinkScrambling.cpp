#include "bus/LinkScrambling.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "bus/FrameCodec.h"
#include "bus/LinkState.h"

namespace quorfw {
namespace {

constexpr std::uint16_t kInitialStride = ProgramWord(kOpByteStride, 4, 0);  // the interpreter's start state

bool IsStride(std::uint16_t word)
{
    const std::uint16_t op = word & kOpMask;
    return op == kOpByteStride || op == kOpNibbleStride;
}

// The data a program works on: bytes, or nibbles (even unit = low nibble of byte unit/2).
class ProgramUnits {
public:
    ProgramUnits(std::span<std::uint8_t> bytes, bool nibbles) : bytes_(bytes), nibbles_(nibbles) {}

    std::size_t Count() const { return nibbles_ ? bytes_.size() * 2 : bytes_.size(); }
    unsigned Bits() const { return nibbles_ ? 4 : 8; }
    unsigned Mask() const { return nibbles_ ? 0xF : 0xFF; }

    unsigned Get(std::size_t unit) const
    {
        if (!nibbles_)
            return bytes_[unit];
        const std::uint8_t b = bytes_[unit / 2];
        return (unit % 2 == 0) ? (b & 0xF) : (b >> 4);
    }

    void Set(std::size_t unit, unsigned value)
    {
        value &= Mask();
        if (!nibbles_) {
            bytes_[unit] = static_cast<std::uint8_t>(value);
            return;
        }
        std::uint8_t& b = bytes_[unit / 2];
        b = (unit % 2 == 0) ? static_cast<std::uint8_t>((b & 0xF0) | value)
                            : static_cast<std::uint8_t>((b & 0x0F) | (value << 4));
    }

private:
    std::span<std::uint8_t> bytes_;
    bool nibbles_;
};

unsigned RotateLeft(unsigned value, unsigned by, unsigned bits, unsigned mask)
{
    by %= bits;
    if (by == 0)
        return value;
    return ((value << by) | (value >> (bits - by))) & mask;
}

template <typename Action>
void ForEachUnit(const ProgramUnits& units, std::size_t first, std::size_t stride, Action action)
{
    for (std::size_t k = first; k < units.Count(); k += stride)
        action(k);
}

}  // namespace

std::uint32_t PermutationIterations(std::uint32_t seed)
{
    const std::uint32_t n = seed & 0x1F;
    return n < 12 ? n + 12 : n;
}

Permutation BuildPermutation(std::uint32_t seed, std::uint32_t multiplier, std::uint32_t increment)
{
    Permutation p{};
    for (std::uint8_t i = 0; i < p.size(); ++i)
        p[i] = i;
    std::uint32_t x = seed;
    for (std::uint32_t round = PermutationIterations(seed); round > 0; --round) {
        x = ((multiplier * x + increment) >> 16) & 0x7FFF;  // unsigned arithmetic is mod 2^32
        std::swap(p[(x >> 4) & 0xF], p[x & 0xF]);
    }
    return p;
}

std::uint32_t MessageSeed(const BusMessage& message)
{
    return ((static_cast<std::uint32_t>(message.SeedLow()) << 8) | message.SeedHigh()) + message.Sequence();
}

void Scramble(std::span<std::uint8_t> payload, std::uint32_t seed, std::uint32_t multiplier, std::uint32_t increment)
{
    const Permutation p = BuildPermutation(seed, multiplier, increment);
    for (std::size_t k = 0; k < payload.size(); ++k) {
        const std::uint8_t b = payload[k];
        payload[k] = static_cast<std::uint8_t>(((p[b >> 4] << 4) | p[b & 0xF]) ^ (k & 0xFF));
    }
}

void Unscramble(std::span<std::uint8_t> payload, std::uint32_t seed, std::uint32_t multiplier,
                std::uint32_t increment)
{
    const Permutation p = BuildPermutation(seed, multiplier, increment);
    Permutation q{};
    for (std::uint8_t i = 0; i < p.size(); ++i)
        q[p[i]] = i;
    for (std::size_t k = 0; k < payload.size(); ++k) {
        const std::uint8_t x = static_cast<std::uint8_t>(payload[k] ^ (k & 0xFF));
        payload[k] = static_cast<std::uint8_t>((q[x >> 4] << 4) | q[x & 0xF]);
    }
}

void RunProgram(std::span<std::uint8_t> bytes, const ScrambleProgram& program, bool topLevel, bool forward,
                const ScramblePrograms& programs)
{
    std::size_t stride = 4;
    bool nibbles = false;
    for (const std::uint16_t word : program) {
        if (word == 0)
            break;
        const std::uint16_t op = word & kOpMask;
        const std::size_t e = (word >> 8) & 0x1F;
        const unsigned f = word & 0xFF;
        ProgramUnits units(bytes, nibbles);
        switch (op) {
        case kOpByteStride:
        case kOpNibbleStride:
            stride = e;
            nibbles = op == kOpNibbleStride;
            break;
        case kOpAdd: {
            if (e >= stride)
                break;
            const unsigned amount = forward ? f : 256 - f;
            ForEachUnit(units, e, stride, [&](std::size_t k) { units.Set(k, units.Get(k) + amount); });
            break;
        }
        case kOpXor:
            if (e >= stride)
                break;
            ForEachUnit(units, e, stride, [&](std::size_t k) { units.Set(k, units.Get(k) ^ f); });
            break;
        case kOpRotate: {
            if (e >= stride)
                break;
            const unsigned by = (forward ? f : 256 - f) & (units.Bits() - 1);
            ForEachUnit(units, e, stride, [&](std::size_t k) {
                units.Set(k, RotateLeft(units.Get(k), by, units.Bits(), units.Mask()));
            });
            break;
        }
        case kOpSwap: {
            if (e >= stride || f >= stride)
                break;
            // Both partners must lie inside the data; with f < e the partner runs ahead of k.
            for (std::size_t k = e, partner = f; k < units.Count() && partner < units.Count();
                 k += stride, partner += stride) {
                const unsigned a = units.Get(k);
                units.Set(k, units.Get(partner));
                units.Set(partner, a);
            }
            break;
        }
        case kOpCall:
            if (topLevel && e >= 1 && e <= kProgramCount)
                RunProgram(bytes, forward ? programs.Forward(e) : programs.Inverse(e), false, forward, programs);
            break;
        default:
            break;  // op 0 with a non-zero word does nothing
        }
    }
}

ScrambleProgram BuildInverseProgram(const ScrambleProgram& forward)
{
    ScrambleProgram inverse{};
    if (forward[0] == 0)
        return inverse;

    // Only the words the interpreter runs: up to the first zero word.
    const auto end = std::find(forward.begin(), forward.end(), std::uint16_t{0});
    std::vector<std::uint16_t> list;
    list.reserve(kProgramWords + 2);
    list.push_back(kInitialStride);
    for (auto it = std::make_reverse_iterator(end); it != forward.rend(); ++it)
        list.push_back(*it);
    list.push_back(kInitialStride);

    // Each stride moves to the slot of the stride before it, so that every reversed group of
    // operations follows the stride that governed it going forward.
    std::size_t previousStride = 0;
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (IsStride(list[i])) {
            list[previousStride] = list[i];
            previousStride = i;
        }
    }

    // Emit a stride only just before the operation it governs, and never a leading start state.
    std::size_t written = 0;
    std::uint16_t pendingStride = 0;
    for (const std::uint16_t word : list) {
        if (IsStride(word)) {
            pendingStride = word;
            continue;
        }
        if (pendingStride != 0 && !(written == 0 && pendingStride == kInitialStride)) {
            if (written < kProgramWords)
                inverse[written] = pendingStride;
            ++written;
        }
        pendingStride = 0;
        if (written < kProgramWords)
            inverse[written] = word;
        ++written;
    }
    return inverse;  // unused words stay zero, which terminates the program
}

void BuildKeyAnnouncement(LinkState& link, BusMessage& announcement)
{
    link.sequence = 0;
    announcement.bytes.fill(0);
    FillRequest(link, announcement, static_cast<std::uint16_t>(kAnnouncementLength), link.ownAddress,
                link.announcementAddress, 0x00, 0, 0, 0x81, kKindSeedScrambled);
    const std::span<std::uint8_t> payload = announcement.Payload();

    for (std::size_t i = 0; i < kAnnouncementFillerLength; ++i)
        payload[kAnnouncementFillerOffset + i] = static_cast<std::uint8_t>(link.RandomBelow(255));

    link.multiplier = link.Random15();
    link.increment = link.Random15();

    std::array<std::uint8_t, kAnnouncementIndexOffsets.size()> indices{};
    std::size_t held = 0;
    while (held < indices.size()) {
        const auto candidate = static_cast<std::uint8_t>(kAnnouncementFirstIndex + link.RandomBelow(kAnnouncementIndexSpan));
        if (std::find(indices.begin(), indices.begin() + static_cast<std::ptrdiff_t>(held), candidate) ==
            indices.begin() + static_cast<std::ptrdiff_t>(held))
            indices[held++] = candidate;
    }

    for (std::size_t i = 0; i < indices.size(); ++i) {
        payload[kAnnouncementIndexOffsets[i]] = indices[i];
        const std::uint32_t value = i < 4 ? link.multiplier : link.increment;
        payload[kAnnouncementFillerOffset + indices[i]] = static_cast<std::uint8_t>(value >> (8 * (i % 4)));
    }
}

bool ExtractKeyParameters(LinkState& link, const BusMessage& message)
{
    const std::span<const std::uint8_t> payload = message.Payload();
    std::array<std::uint8_t, kAnnouncementIndexOffsets.size()> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t indexOffset = kAnnouncementIndexOffsets[i];
        if (indexOffset >= payload.size())
            return false;
        const std::size_t valueOffset = kAnnouncementFillerOffset + payload[indexOffset];
        if (valueOffset >= payload.size())
            return false;
        values[i] = payload[valueOffset];
    }
    link.multiplier = ReadLe32(&values[0]);
    link.increment = ReadLe32(&values[4]);
    return true;
}

}  // namespace quorfw
