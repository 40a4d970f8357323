#include "dialogs/VersionListTable.h"

namespace quorfw {

std::vector<std::string> VersionListCells(const UpdateFile& package)
{
    std::vector<std::string> cells;
    cells.reserve(kVersionListColumns.size());
    for (const VersionListColumn& column : kVersionListColumns) {
        if (column.section == VersionListColumn::kTitle)
            cells.push_back(package.GetTitle());
        else if (column.section == VersionListColumn::kName)
            cells.push_back(package.GetName());
        else
            cells.push_back(package.GetSectionVersion(column.section));
    }
    return cells;
}

bool CanShowInformation(const UpdateFile& package)
{
    return !package.GetTitle().empty();
}

std::size_t PackageIndexOfVersionListRow(std::size_t packageCount, std::size_t row)
{
    return packageCount - 1 - row;
}

}  // namespace quorfw
