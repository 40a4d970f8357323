#include "tools/DemoImage.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

namespace {

// xorshift32: small, fast and the same on every machine.
class DemoRandom {
public:
    explicit DemoRandom(std::uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_;
};

constexpr std::size_t kChunk = 64;

}  // namespace

std::vector<std::uint8_t> GenerateFirmwareBytes(std::size_t size, std::uint32_t seed)
{
    DemoRandom random(seed);
    std::vector<std::uint8_t> out(size);
    for (std::size_t offset = 0; offset < size; offset += kChunk) {
        const std::size_t n = std::min(kChunk, size - offset);
        const std::uint32_t kind = random.Next() % 10;
        if (kind < 4 || offset < kChunk) {
            for (std::size_t i = 0; i < n; ++i) {
                out[offset + i] = static_cast<std::uint8_t>(random.Next() >> 24);
            }
        } else if (kind < 7) {
            // Code repeats itself: copy an earlier chunk.
            const std::size_t from = (random.Next() % (offset / kChunk)) * kChunk;
            std::copy_n(out.begin() + static_cast<std::ptrdiff_t>(from), n, out.begin() + static_cast<std::ptrdiff_t>(offset));
        } else {
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(offset), n, kind == 9 ? 0xFF : 0x00);
        }
    }
    return out;
}

ModuleImageLayout ModuleImageLayoutFor(std::uint32_t version)
{
    if (version <= 5000000) {
        return {0x24, 0x28, 0x38};
    }
    if (version < 5050000) {
        return {0x3C, 0x40, 0x50};
    }
    return {0x1040, 0x1044, 0x1054};
}

std::uint32_t ModuleImageChecksum(const std::vector<std::uint8_t>& image, std::size_t start, std::size_t end)
{
    std::uint32_t sum = 0;
    for (std::size_t offset = start; offset < end; offset += 4) {
        std::uint8_t word[4] = {};
        for (std::size_t i = 0; i < 4 && offset + i < end && offset + i < image.size(); ++i) {
            word[i] = image[offset + i];
        }
        sum += ReadLe32(word);
    }
    return sum;
}

std::vector<std::uint8_t> GenerateModuleImage(std::size_t size, std::uint32_t seed, std::uint32_t version)
{
    const ModuleImageLayout layout = ModuleImageLayoutFor(version);
    if (size < layout.configOffset + kModuleConfigAreaSize || size > 0xFFFFFFFFu) {
        return {};
    }
    std::vector<std::uint8_t> image = GenerateFirmwareBytes(size, seed);
    WriteLe32(image.data() + kModuleImageSumEndOffset, static_cast<std::uint32_t>(size));
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(layout.configOffset), kModuleConfigAreaSize, 0);
    WriteLe32(image.data() + layout.checksumOffset, ModuleImageChecksum(image, layout.sumStart, size));
    return image;
}

std::vector<std::uint8_t> GenerateSettingsBlock(std::size_t size, std::uint32_t seed)
{
    size = std::max<std::size_t>(size, 388);
    DemoRandom random(seed);
    std::vector<std::uint8_t> block(size, 0);
    const auto fillRandom = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to && i < block.size(); ++i) {
            block[i] = static_cast<std::uint8_t>(random.Next() >> 24);
        }
    };
    WriteLe32(block.data() + 0, 404);               // length word of an information block
    WriteLe32(block.data() + 108, 0x00010004u);      // option flags
    WriteLe32(block.data() + 112, 1500);             // parameter 112
    fillRandom(164, 184);
    fillRandom(200, 204);
    block[208] = static_cast<std::uint8_t>(3 + seed % 5);  // parameter 208
    block[218] = 2;                                          // parameter 218
    fillRandom(240, 256);
    WriteLe32(block.data() + 256, 30);               // parameter 256
    block[265] = 0x04 | 0x08;                        // settings valid, module name shown
    block[266] = 1;
    block[269] = 7;
    block[270] = 1;                                  // parameter 270
    fillRandom(344, 348);
    fillRandom(380, 386);
    return block;
}

}  // namespace quorfw
