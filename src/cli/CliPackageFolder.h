#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "packages/UpdateFile.h"

namespace quorfw {

// The package folder, ending with '/': --folder, which must be an existing folder, or the
// "Path" setting, or the default folder (created when missing, as the program does).
// Nothing, with the reason, when --folder names no folder.
[[nodiscard]] std::optional<std::string> ResolvePackageFolder(const CliArguments& arguments, CliContext& context,
                                                              std::string& error);

// The packages of the folder in the order the program lists them. Package files that do
// not load are left out, as in the program, but named on `err` so the user learns why.
[[nodiscard]] std::vector<UpdateFile> LoadCliPackages(const std::string& folder, std::ostream& err);

}  // namespace quorfw
