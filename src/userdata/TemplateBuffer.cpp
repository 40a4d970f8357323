#include "userdata/TemplateBuffer.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace quorfw {

std::optional<TemplateBuffer> MakeTemplateBuffer(unsigned slot, std::span<const std::uint8_t> data)
{
    if (data.size() > kTemplateDataMax || slot > 0xFF) {
        return std::nullopt;
    }
    TemplateBuffer buffer(kTemplateBufferHeadSize + data.size());
    WriteLe16(buffer.data(), static_cast<std::uint16_t>(buffer.size()));
    buffer[2] = static_cast<std::uint8_t>(slot);
    std::copy(data.begin(), data.end(), buffer.begin() + kTemplateBufferHeadSize);
    return buffer;
}

std::uint16_t TemplateBufferLength(const TemplateBuffer& buffer)
{
    return buffer.size() < 2 ? std::uint16_t{0} : ReadLe16(buffer.data());
}

std::span<const std::uint8_t> TemplateData(const TemplateBuffer& buffer)
{
    if (buffer.size() < kTemplateBufferHeadSize) {
        return {};
    }
    return std::span(buffer).subspan(kTemplateBufferHeadSize);
}

bool IsWellFormedTemplateBuffer(const TemplateBuffer& buffer, unsigned slot)
{
    return buffer.size() >= kTemplateBufferHeadSize && buffer.size() <= 0xFFFF &&
           TemplateBufferLength(buffer) == buffer.size() && buffer[2] == slot;
}

}  // namespace quorfw
