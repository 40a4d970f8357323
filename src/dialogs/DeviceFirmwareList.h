#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorfw {

class UpdateFile;

// One row of the device firmware selection.
struct DeviceFirmwareRow {
    std::string title;
    std::string name;
    // Version text of the package's section 3 (module type 5).
    std::string version;
    // The package's index in the list the rows were made from.
    std::size_t packageIndex = 0;
};

// The packages that carry finger scanner device firmware (a section 3 image that is not
// empty), in the selection's order: the list walked from its last package to its first.
[[nodiscard]] std::vector<DeviceFirmwareRow> DeviceFirmwareList(const std::vector<UpdateFile>& packages);

}  // namespace quorfw
