#pragma once

#include <string>
#include <string_view>

#include "app/Environment.h"

namespace quorfw {

// "$XDG_DATA_HOME/quor/ModuleUpdate/", with ~/.local/share when XDG_DATA_HOME is not set,
// empty or relative. Always ends with '/'; empty when no home folder is known either.
std::string DefaultPackageFolder(const EnvironmentLookup& env);

// The package folder to use for the "Path" setting's value: the value itself, given a
// trailing '/' so that file names can be appended; when it is empty, the default folder,
// created one level deep (its parent must exist; failures are ignored, later file operations
// in it fail on their own). The default is not stored here: the program stores "Path" at exit.
std::string PreparePackageFolder(std::string_view pathSetting, const EnvironmentLookup& env);

}  // namespace quorfw
