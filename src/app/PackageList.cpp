#include "app/PackageList.h"

#include "app/MainModel.h"
#include "app/PackageAvailability.h"
#include "app/UpdateHost.h"
#include "bus/ConverterHub.h"
#include "packages/PackageFolder.h"

namespace quorfw {

namespace {

// Article number of the bus converter, shown in front of its serial number.
constexpr const char* kConverterArticle = "930105";

}  // namespace

void LoadPackageList(MainModel& model)
{
    model.packages = LoadPackageFolder(model.packageFolder);
}

void ReloadPackageList(MainModel& model, UpdateHost& host)
{
    model.selector.clear();
    model.selectorIndex = -1;
    host.SetPackageSelector({});
    model.packages.clear();
    LoadPackageList(model);
}

void SelectPackageEntry(MainModel& model, UpdateHost& host, int index)
{
    model.selectorIndex = index;
    if (model.SelectedItemData() < 0) {
        model.infoEnabled = false;
        host.EnableInfoButton(false);
        return;
    }
    ShowAvailability(model, host, true);
}

const UpdateFile* PackageForInfo(const MainModel& model)
{
    return model.PackageOfItem(model.SelectedItemData());
}

std::string ConverterEntryText(const std::string& converterId)
{
    if (ConverterHub::KindOfId(converterId) == ConverterHub::Kind::Ftdi) {
        return kConverterArticle + converterId;
    }
    return converterId;
}

}  // namespace quorfw
