#pragma once

#include <ostream>

#include "cli/CliJson.h"

namespace quorfw {

class MainModel;

// The displayed installation as the grid shows it (versions as read back after an update),
// the packages that fit it and the selected one.
void WriteInstallationText(std::ostream& out, const MainModel& model);

// The same as members added to a JSON object: "unit", "modules", "packages", "selected".
void WriteInstallationJson(CliJson& json, const MainModel& model);

}  // namespace quorfw
