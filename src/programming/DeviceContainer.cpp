#include "programming/DeviceContainer.h"

#include <algorithm>

#include "common/LittleEndian.h"
#include "programming/ImageCompression.h"

namespace quorfw {

std::uint32_t DeviceValueFromText(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

std::optional<std::vector<std::uint8_t>> BuildDeviceContainer(std::span<const std::uint8_t> image,
                                                             std::uint32_t versionBcd,
                                                             std::span<const std::uint8_t> settings,
                                                             std::span<const std::string> values)
{
    if (image.size() > kDeviceImageArea || settings.size() < kDeviceSettingsLength)
        return std::nullopt;

    const std::size_t valueCount = std::min(values.size(), kMaxDeviceValues);
    const std::size_t length = kDeviceValuesOffset + 4 * valueCount;
    std::vector<std::uint8_t> container(length, 0);
    WriteLe32(&container[kDeviceContainerLengthOffset], static_cast<std::uint32_t>(length));
    WriteLe32(&container[kDeviceContainerFormatOffset], kDeviceContainerFormat);
    std::copy(image.begin(), image.end(), container.begin() + kDeviceImageOffset);
    WriteLe32(&container[kDeviceVersionOffset], versionBcd);
    std::copy_n(settings.begin(), kDeviceSettingsLength, container.begin() + kDeviceSettingsOffset);
    for (std::size_t i = 0; i < valueCount; ++i)
        WriteLe32(&container[kDeviceValuesOffset + 4 * i], DeviceValueFromText(values[i]));
    return container;
}

std::vector<std::uint8_t> PackDeviceContainer(std::span<const std::uint8_t> container)
{
    const PackedImage packed = CompressImage(container);
    std::vector<std::uint8_t> out(kDevicePackHeaderLength + packed.bytes.size());
    WriteLe32(&out[0], static_cast<std::uint32_t>(packed.bytes.size() + kDevicePackHeaderLength));
    WriteLe32(&out[4], 0);
    WriteLe32(&out[8], static_cast<std::uint32_t>(container.size()));
    std::copy(packed.bytes.begin(), packed.bytes.end(), out.begin() + kDevicePackHeaderLength);
    return out;
}

}  // namespace quorfw
