#include "app/OperationStart.h"
#include "cli/CliOperation.h"
#include "cli/CliOutput.h"
#include "cli/CliVerbs.h"
#include "cli/CliJson.h"

namespace quorfw {

// quorfwupdate scan: one scan run; the stations found, what the fitting packages offer.
int RunScanVerb(const CliArguments& arguments, CliContext& context)
{
    int exitCode = kExitOk;
    CliHost::Options hostOptions;
    hostOptions.json = arguments.json;
    hostOptions.terminal = context.terminal;
    auto operation = CliOperation::Prepare(arguments, context, hostOptions, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    const bool ok = operation->RunToEnd(StartScan(model, operation->host()));

    if (arguments.json) {
        CliJson json = CliJson::object();
        json["ok"] = ok;
        json["converter"] = operation->converter();
        WriteInstallationJson(json, model);
        context.out << JsonLine(json) << '\n';
    } else {
        context.out << "Converter " << operation->converter() << '\n';
        WriteInstallationText(context.out, model);
        context.out << (ok ? "Scan: ok\n" : "Scan: failed (see the update log for the details)\n");
    }
    return ok ? kExitOk : kExitFailed;
}

}  // namespace quorfw
