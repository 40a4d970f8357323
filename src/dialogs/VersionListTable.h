#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "packages/UpdateFile.h"

namespace quorfw {

// One column of the version list: its header text id, what it shows and its width.
struct VersionListColumn {
    static constexpr int kTitle = -1;
    static constexpr int kName = -2;

    std::uint32_t headerId;
    int section;  // a package section's version text, or kTitle / kName
    int widthPx;
};

inline constexpr std::array<VersionListColumn, 12> kVersionListColumns{{
    {2110, VersionListColumn::kTitle, 160},
    {2117, VersionListColumn::kName, 80},
    {2119, 0, 80},   // module type 6
    {2118, 1, 80},   // module types 1 and 9
    {2190, 2, 80},   // module type 2
    {2191, 3, 80},   // module type 5
    {2204, 12, 80},  // module type 7
    {2160, 7, 80},   // module type 3
    {2200, 8, 80},   // module type 8
    {2201, 9, 80},   // module type 10
    {2202, 10, 80},  // module type 11
    {2203, 11, 80},  // module type 12
}};

// The cells of one package's row, one per column.
[[nodiscard]] std::vector<std::string> VersionListCells(const UpdateFile& package);

// The information window opens only on a package with a title.
[[nodiscard]] bool CanShowInformation(const UpdateFile& package);

// The list shows the packages last first: row r stands for element count - 1 - r.
[[nodiscard]] std::size_t PackageIndexOfVersionListRow(std::size_t packageCount, std::size_t row);

}  // namespace quorfw
