#include "dialogs/DeviceFirmwareList.h"

#include "packages/PackageSections.h"
#include "packages/UpdateFile.h"

namespace quorfw {

namespace {

constexpr int kDeviceFirmwareSection = 3;
static_assert(SectionForModuleType(5) == kDeviceFirmwareSection);

}  // namespace

std::vector<DeviceFirmwareRow> DeviceFirmwareList(const std::vector<UpdateFile>& packages)
{
    std::vector<DeviceFirmwareRow> rows;
    for (std::size_t i = packages.size(); i-- > 0;) {
        const UpdateFile& package = packages[i];
        const SharedBytes* image = package.GetSectionImage(kDeviceFirmwareSection);
        if (image == nullptr || image->empty()) {
            continue;
        }
        rows.push_back({package.GetTitle(), package.GetName(), package.GetSectionVersion(kDeviceFirmwareSection), i});
    }
    return rows;
}

}  // namespace quorfw
