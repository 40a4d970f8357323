#pragma once

#include "app/MainModel.h"

namespace quorfw {

class UpdateHost;

// Hides the identity cells of the unit row and module rows 0-3, disables the Info button,
// clears the package description and tells the host to do the same on its side.
void ResetDisplay(MainModel& model, UpdateHost& host);

// The scan command: resets the display and starts the scan-and-update worker in scan-only
// mode (availability cells hidden until it decides them again).
[[nodiscard]] MainModel::StartResult StartScan(MainModel& model, UpdateHost& host);

// The update command: resets the display, stops a previous operation, asks before
// updating a unit that carries modules (type 3), and starts the worker in update mode.
[[nodiscard]] MainModel::StartResult StartUpdate(MainModel& model, UpdateHost& host);

}  // namespace quorfw
