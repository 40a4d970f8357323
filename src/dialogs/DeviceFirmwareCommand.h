#pragma once

#include "app/MainModel.h"

namespace quorfw {

class UpdateFile;
class UpdateHost;

// The device firmware command is enabled while no operation runs and the displayed
// module in slot 0 is a finger scanner of the device firmware article (its serial number
// starts with 932455).
[[nodiscard]] bool CanProgramDeviceFirmware(const MainModel& model);

// Starts programming the chosen package's device firmware into module slot 0 (own address
// 0x20000000, operation mode cleared, display not reset). The worker keeps its own copy
// of the package.
[[nodiscard]] MainModel::StartResult StartDeviceFirmware(MainModel& model, UpdateHost& host,
                                                         const UpdateFile& package);

}  // namespace quorfw
