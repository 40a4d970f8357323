#include "programming/SettingsMerge.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <span>
#include <string_view>

#include "bus/BusSession.h"
#include "common/Clock.h"
#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"

namespace quorfw {
namespace {

using Block = std::array<std::uint8_t, ModuleInfo::kInformationBytes>;
using namespace infofield;

constexpr int kDatedArticleMonth = 201501;

// Serial numbers whose modules are re-addressed and given fixed parameter values.
struct SerialRule {
    std::string_view serial;
    std::uint32_t parameter112;
    std::uint32_t value160;
};
constexpr std::array<SerialRule, 4> kSerialRules{{
    {"93188913130256", 105, 1},
    {"93188933120218", 105, 1},
    {"93091404140865", 800, 15},
    {"93091404140867", 800, 15},
}};
constexpr std::uint32_t kSerialRuleOptionFlags = 0x400100;

constexpr std::array<std::string_view, 2> kArticlesTaking112{"931166", "931249"};
constexpr std::string_view kDatedArticle = "720314";
constexpr std::uint32_t kDatedArticleValue112 = 2000;
constexpr std::array<std::string_view, 5> kArticlesClearing266{"931308", "931410", "931549", "931685", "931724"};

std::string_view TextAt(const Block& block, std::size_t offset, std::size_t length)
{
    return {reinterpret_cast<const char*>(block.data() + offset), length};
}

void CopyRange(Block& to, std::span<const std::uint8_t> from, std::size_t first, std::size_t last)
{
    std::copy(from.begin() + static_cast<std::ptrdiff_t>(first), from.begin() + static_cast<std::ptrdiff_t>(last + 1),
              to.begin() + static_cast<std::ptrdiff_t>(first));
}

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<std::string_view, N>& list)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

void SaveModuleSettings(ModuleInfo& module, std::span<const std::uint8_t> t)
{
    Block& info = module.information;
    module.settingsValid = (t[kFlags265] & 0x04) ? 1 : 0;
    module.settingBytes[0] = info[kParameter208];
    module.settingBytes[3] = info[kParameter256];
    module.settingWord = ReadLe32(&info[kParameter112]);
    if (module.settingsValid) {
        module.settingBytes[1] = info[kParameter218];
        module.settingBytes[2] = info[kParameter270];
        info[kParameter270] = t[kParameter270];
        info[kParameter218] = t[kParameter218];
    } else {
        module.settingBytes[1] = 0;
        module.settingBytes[2] = 1;
    }
}

void ApplyArticleRules(Block& info, std::span<const std::uint8_t> t, int localYearMonth)
{
    const std::string_view article = TextAt(info, kSerial, kArticleLength);
    if (IsOneOf(article, kArticlesTaking112))
        WriteLe32(&info[kParameter112], ReadLe32(&t[kParameter112]));
    if (article == kDatedArticle && localYearMonth == kDatedArticleMonth)
        WriteLe32(&info[kParameter112], kDatedArticleValue112);
    if (IsOneOf(article, kArticlesClearing266))
        info[kByte266] = 0;
}

void ApplySerialRules(Block& info)
{
    const std::string_view serial = TextAt(info, kSerial, kSerialLength);
    for (const SerialRule& rule : kSerialRules) {
        if (serial != rule.serial)
            continue;
        WriteLe32(&info[kAddress], (ReadLe32(&info[kAddress]) & 0x0FFFFFFF) | 0x30000000);
        WriteLe32(&info[kOptionFlags], ReadLe32(&info[kOptionFlags]) | kSerialRuleOptionFlags);
        WriteLe32(&info[kParameter112], rule.parameter112);
        WriteLe32(&info[kValue160], rule.value160);
    }
}

void MergeBlock(ModuleInfo& module, std::span<const std::uint8_t> t, int localYearMonth)
{
    Block& info = module.information;
    const std::uint32_t flags = (ReadLe32(&t[kOptionFlags]) & ~kKeptOptionFlags) |
                                (ReadLe32(&info[kOptionFlags]) & kKeptOptionFlags);
    WriteLe32(&info[kOptionFlags], flags);
    module.updateFlags |= kUpdateFlagMerged;

    SaveModuleSettings(module, t);
    info[kTerminator] = 0;
    ApplyArticleRules(info, t, localYearMonth);

    CopyRange(info, t, 164, 183);
    CopyRange(info, t, 200, 203);
    CopyRange(info, t, 208, 208);
    CopyRange(info, t, 344, 347);
    CopyRange(info, t, 384, 385);
    CopyRange(info, t, 240, 255);
    CopyRange(info, t, 256, 259);
    std::fill_n(info.begin() + kCleared376, 4, 0);

    if (ReadLe32(&info[kVersion]) / 1000000 == 6)
        info[kByte269] = t[kByte269];

    ApplySerialRules(info);
    CopyRange(info, t, 380, 383);
    CopyRange(info, t, 384, 385);
}

}  // namespace

int LocalYearMonth(Clock& clock)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(clock.WallTime());
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return 0;
    return (local.tm_year + 1900) * 100 + local.tm_mon + 1;
}

void MergeSettingsTemplate(ModuleInfo& module, const std::vector<std::uint8_t>* encryptedTemplate, int localYearMonth)
{
    std::vector<std::uint8_t> plain;
    if (encryptedTemplate != nullptr && DecryptPackageData(*encryptedTemplate, plain) &&
        plain.size() >= kSettingsBlockLength)
        MergeBlock(module, std::span<const std::uint8_t>(plain).first(kSettingsBlockLength), localYearMonth);
    std::fill(module.information.begin() + kClearedFirst, module.information.begin() + kClearedEnd, 0);
}

void MergeSettingsTemplate(BusSession& session, std::uint8_t slot)
{
    if (slot >= BusSession::kModuleSlots)
        return;
    MergeSettingsTemplate(session.modules[slot], session.settingsTemplate, LocalYearMonth(session.clock()));
}

}  // namespace quorfw
