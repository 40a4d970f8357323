#pragma once

#include <string>

#include "app/MainModel.h"

namespace quorfw {

class UpdateHost;

// The backup, export and restore commands once the user has chosen the file: the path is
// stored, the display reset, and the operation started with the tool's own address (the
// export flag is the model's operation mode). A restore's warning is the front end's to give
// before it asks for the file.
[[nodiscard]] MainModel::StartResult StartBackup(MainModel& model, UpdateHost& host, const std::string& path);
[[nodiscard]] MainModel::StartResult StartExport(MainModel& model, UpdateHost& host, const std::string& path);
[[nodiscard]] MainModel::StartResult StartRestore(MainModel& model, UpdateHost& host, const std::string& path);

}  // namespace quorfw
