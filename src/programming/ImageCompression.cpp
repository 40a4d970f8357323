#include "programming/ImageCompression.h"

#include <lzo/lzo1f.h>
#include <lzo/lzoconf.h>

#include <utility>

namespace quorfw {
namespace {

// The library checks its build once per process; a thread-safe static does it on first use.
bool LzoReady()
{
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

// LZO's documented bound for incompressible input.
std::size_t WorstCaseLength(std::size_t length)
{
    return length + length / 16 + 64 + 3;
}

PackedImage Raw(std::span<const std::uint8_t> image)
{
    return PackedImage{std::vector<std::uint8_t>(image.begin(), image.end()), false};
}

}  // namespace

PackedImage CompressImage(std::span<const std::uint8_t> image)
{
    if (image.empty() || !LzoReady())
        return Raw(image);

    std::vector<std::uint8_t> out(WorstCaseLength(image.size()));
    std::vector<std::uint8_t> work(LZO1F_999_MEM_COMPRESS);
    lzo_uint outLength = out.size();
    const int rc = lzo1f_999_compress(image.data(), static_cast<lzo_uint>(image.size()), out.data(), &outLength,
                                      work.data());
    if (rc != LZO_E_OK || outLength >= image.size())
        return Raw(image);
    out.resize(outLength);
    return PackedImage{std::move(out), true};
}

}  // namespace quorfw
