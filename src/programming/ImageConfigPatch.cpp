#include "programming/ImageConfigPatch.h"

#include <algorithm>

#include "bus/BusSession.h"
#include "common/LittleEndian.h"
#include "programming/SettingsMerge.h"

namespace quorfw {

ImageLayout ImageLayoutForVersion(std::uint32_t version)
{
    if (version <= 5000000)
        return kLayoutUpTo5000000;
    if (version < 5050000)
        return kLayoutBelow5050000;
    return kLayoutFrom5050000;
}

bool ImageFitsLayout(std::span<const std::uint8_t> image, const ImageLayout& layout)
{
    if (image.size() < layout.configOffset + kConfigAreaLength)
        return false;
    return ReadLe32(&image[kImageSumEndOffset]) <= image.size();
}

std::uint32_t ImageWordSum(std::span<const std::uint8_t> image, std::size_t start, std::size_t end)
{
    std::uint32_t sum = 0;
    for (std::size_t pos = start; pos < end; pos += 4) {
        std::uint8_t word[4] = {0, 0, 0, 0};
        for (std::size_t i = 0; i < 4 && pos + i < image.size(); ++i)
            word[i] = image[pos + i];
        sum += ReadLe32(word);
    }
    return sum;
}

std::uint32_t ConfigFlagWord(const ModuleInfo& module)
{
    const std::uint32_t options = ReadLe32(&module.information[infofield::kOptionFlags]);
    if (options & 0x10)
        return kConfigFlagOption4;
    if ((ReadLe32(&module.information[infofield::kAddress]) >> 28) == 6)
        return kConfigFlagAddress6;
    return 0;
}

bool PatchImageConfig(std::vector<std::uint8_t>& image, std::uint32_t version, ModuleInfo& module,
                      const std::vector<std::uint8_t>* encryptedTemplate, int localYearMonth)
{
    const ImageLayout layout = ImageLayoutForVersion(version);
    if (!ImageFitsLayout(image, layout))
        return false;

    MergeSettingsTemplate(module, encryptedTemplate, localYearMonth);

    auto& info = module.information;
    WriteLe32(&image[layout.configOffset], ConfigFlagWord(module));
    WriteLe32(&info[infofield::kLength], kInformationBlockLength);
    info[infofield::kTerminator] = 0;
    if (version != 0)
        WriteLe32(&info[infofield::kVersion], version);
    std::copy_n(info.begin(), kConfigInfoLength, image.begin() + static_cast<std::ptrdiff_t>(layout.configOffset + kConfigFlagLength));

    const std::size_t end = ReadLe32(&image[kImageSumEndOffset]);
    WriteLe32(&image[layout.checksumOffset], ImageWordSum(image, layout.sumStart, end));
    return true;
}

bool PatchImageConfig(BusSession& session, std::vector<std::uint8_t>& image, std::uint32_t version, std::uint8_t slot)
{
    if (slot >= BusSession::kModuleSlots)
        return false;
    return PatchImageConfig(image, version, session.modules[slot], session.settingsTemplate,
                            LocalYearMonth(session.clock()));
}

}  // namespace quorfw
