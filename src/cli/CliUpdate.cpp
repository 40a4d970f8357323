#include <string>
#include <vector>

#include "app/OperationStart.h"
#include "app/PackageAvailability.h"
#include "cli/CliOperation.h"
#include "cli/CliOutput.h"
#include "cli/CliVerbs.h"
#include "cli/CliJson.h"

namespace quorfw {

namespace {

bool AnyRowMarked(const MainModel& model)
{
    if (model.displayed.unit.present != 0 && model.displayed.UpdateOffered(kUnitRow)) {
        return true;
    }
    for (int row = 0; row < kScannedModuleRows; ++row) {
        if (model.displayed.Row(row).present != 0 && model.displayed.UpdateOffered(row)) {
            return true;
        }
    }
    return false;
}

void WriteResult(const CliArguments& arguments, CliContext& context, CliOperation& operation, bool ok,
                 const std::string& note)
{
    const MainModel& model = operation.model();
    const std::vector<std::string> logLines = operation.host().TakeLogLines();
    if (arguments.json) {
        CliJson json = CliJson::object();
        json["event"] = "result";
        json["ok"] = ok;
        json["converter"] = operation.converter();
        if (!note.empty()) {
            json["note"] = note;
        }
        WriteInstallationJson(json, model);
        context.out << JsonLine(json) << '\n';
        return;
    }
    context.out << "Converter " << operation.converter() << '\n';
    WriteInstallationText(context.out, model);
    if (!note.empty()) {
        context.out << note << '\n';
    }
    context.out << (ok ? "Update: ok\n" : "Update: failed\n");
    if (!logLines.empty()) {
        context.out << "Update log:\n";
        for (const std::string& line : logLines) {
            context.out << "  " << line << '\n';
        }
    }
}

}  // namespace

// quorfwupdate update: a scan, then the update run on that installation.
int RunUpdateVerb(const CliArguments& arguments, CliContext& context)
{
    int exitCode = kExitOk;
    const CliHost::Options hostOptions = CliOperation::EventHostOptions(arguments, context);
    auto operation = CliOperation::Prepare(arguments, context, hostOptions, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    CliHost& host = operation->host();

    if (!operation->RunToEnd(StartScan(model, host))) {
        WriteResult(arguments, context, *operation, false, "The scan failed; nothing was programmed.");
        return kExitFailed;
    }
    if (arguments.packageIndex) {
        const int index = *arguments.packageIndex;
        if (index >= static_cast<int>(model.selector.size())) {
            context.err << "quorfwupdate update: --package " << index << ": the selector lists "
                        << model.selector.size() << " package(s) for this installation (indexes from 0)\n";
            return kExitUsage;
        }
        // As if the user picked the entry: the rows are decided again for that package.
        model.selectorIndex = index;
        host.SelectPackage(index);
        ShowAvailability(model, host, true);
    }
    if (!model.CanUpdate() || !AnyRowMarked(model)) {
        WriteResult(arguments, context, *operation, true,
                    "The selected package offers no station an update; nothing was programmed.");
        return kExitOk;
    }
    const bool ok = operation->RunToEnd(StartUpdate(model, host));
    std::string note;
    const UpdateFile* chosen = model.PackageOfItem(model.SelectedItemData());
    UpdateFile probe;
    if (!ok && chosen != nullptr && !probe.Load(chosen->GetPath(), false)) {
        note = "The package " + chosen->GetPath() + " can no longer be read; nothing of it was programmed.";
        context.err << "quorfwupdate update: cannot read the package " << chosen->GetPath() << '\n';
    }
    WriteResult(arguments, context, *operation, ok, note);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace quorfw
