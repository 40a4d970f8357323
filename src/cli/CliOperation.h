#pragma once

#include <memory>
#include <string>

#include "app/MainModel.h"
#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliHost.h"
#include "bus/ConverterHub.h"

namespace quorfw {

// What the scan and update verbs share: the converter hub, the model set up from the
// settings and the options as the window would be, the printing host, and running an
// operation to its end while its progress is shown.
class CliOperation {
public:
    // The host of a verb that prints its events while it runs (update, device firmware,
    // backup, export, restore): JSON or text as asked, a redrawn bar on a terminal.
    [[nodiscard]] static CliHost::Options EventHostOptions(const CliArguments& arguments, const CliContext& context);

    // Null when the command line cannot be carried out; the reason is on context.err and
    // `exitCode` says how the program ends.
    [[nodiscard]] static std::unique_ptr<CliOperation> Prepare(const CliArguments& arguments, CliContext& context,
                                                               CliHost::Options hostOptions, int& exitCode);

    CliOperation(const CliOperation&) = delete;
    CliOperation& operator=(const CliOperation&) = delete;

    [[nodiscard]] MainModel& model() { return *model_; }
    [[nodiscard]] CliHost& host() { return host_; }
    [[nodiscard]] const std::string& converter() const { return converter_; }

    // Waits for a started operation, ticking the progress; true when it succeeded. An
    // operation that could not start is explained on context.err.
    [[nodiscard]] bool RunToEnd(MainModel::StartResult started);

private:
    CliOperation(CliContext& context, std::unique_ptr<ConverterHub> hub, CliHost::Options hostOptions);

    CliContext& context_;
    std::unique_ptr<ConverterHub> hub_;
    CliHost host_;
    // Last: destroyed first, while the hub and the host it refers to still exist.
    std::unique_ptr<MainModel> model_;
    std::string converter_;
};

}  // namespace quorfw
