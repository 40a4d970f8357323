#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliContext.h"

namespace quorfw {

using CliVerbRun = int (*)(const CliArguments& arguments, CliContext& context);

struct CliVerb {
    std::string_view name;
    unsigned options;  // CliOptionBits the verb accepts
    std::string_view synopsis;
    CliVerbRun run;
};

// One function per verb, each in its own file.
int RunConvertersVerb(const CliArguments& arguments, CliContext& context);
int RunPackagesVerb(const CliArguments& arguments, CliContext& context);
int RunScanVerb(const CliArguments& arguments, CliContext& context);
int RunUpdateVerb(const CliArguments& arguments, CliContext& context);
int RunBackupVerb(const CliArguments& arguments, CliContext& context);
int RunExportVerb(const CliArguments& arguments, CliContext& context);
int RunRestoreVerb(const CliArguments& arguments, CliContext& context);
int RunWiegandVerb(const CliArguments& arguments, CliContext& context);
int RunDeviceFirmwareVerb(const CliArguments& arguments, CliContext& context);
int RunDownloadVerb(const CliArguments& arguments, CliContext& context);

// Every verb of the program.
[[nodiscard]] std::span<const CliVerb> CliVerbs();

// The usage text listing every verb.
[[nodiscard]] std::string CliUsage();

// Runs the verb named by words[0] with the rest of the words; kExitUsage with the usage
// on context.err for an unknown verb or refused options.
[[nodiscard]] int RunCliVerb(const std::vector<std::string>& words, CliContext& context);

}  // namespace quorfw
