#pragma once

#include <memory>
#include <string>

#include "cli/CliJson.h"
#include "cli/CliOperation.h"

namespace quorfw {

// What the backup, export and restore verbs share: the operation prepared with the host
// printing progress and messages as they come, the result event, and the update log
// lines of a run that failed.
[[nodiscard]] std::unique_ptr<CliOperation> PrepareUserDataOperation(const CliArguments& arguments,
                                                                     CliContext& context, int& exitCode);

// Prints the result: with --json one "result" event (ok, converter, then `fields`), else
// the text lines, and after a failure the update log entries of the run.
void WriteUserDataResult(const CliArguments& arguments, CliContext& context, CliOperation& operation, bool ok,
                         const CliJson& fields, const std::string& text);

}  // namespace quorfw
