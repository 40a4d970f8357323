#pragma once

#include "app/MainModel.h"

namespace quorfw {

class UpdateHost;
struct WiegandSettings;

// The Wiegand command is enabled while no operation runs and the displayed unit is of
// type 9.
[[nodiscard]] bool CanEditWiegand(const MainModel& model);

// After the settings were confirmed: stores them into the displayed unit's blocks and
// starts the Wiegand write from the tool's address 0xA0000000, in operation mode 1. The
// display is not reset. The stored settings stay also when the write does not start.
[[nodiscard]] MainModel::StartResult StartWiegand(MainModel& model, UpdateHost& host,
                                                  const WiegandSettings& settings);

}  // namespace quorfw
