#include <string>

#include "app/UiStringIds.h"
#include "cli/CliUserData.h"
#include "cli/CliVerbs.h"
#include "userdata/UserDataStart.h"

namespace quorfw {

// quorfwupdate export FILE: the unit's access log as a CSV file.
int RunExportVerb(const CliArguments& arguments, CliContext& context)
{
    int exitCode = kExitOk;
    auto operation = PrepareUserDataOperation(arguments, context, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    const bool ok = operation->RunToEnd(StartExport(model, operation->host(), arguments.file));
    const UserDataOutcome& outcome = model.userDataOutcome;

    CliJson fields;
    fields["file"] = arguments.file;
    fields["records"] = outcome.records;
    std::string text = "Converter " + operation->converter() + '\n';
    if (ok) {
        text += "Export: " + arguments.file + " (" + std::to_string(outcome.records) + " log records)\n";
    } else if (outcome.message == kTextLogCsvNotCreated) {
        text += "Export: failed; " + arguments.file + " could not be written\n";
    } else {
        // The window says nothing here; a technician at a terminal should know why no file came.
        fields["note"] = "The access log is empty or could not be read; no file was written.";
        text += "Export: the access log is empty or could not be read; no file was written\n";
    }
    WriteUserDataResult(arguments, context, *operation, ok, fields, text);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace quorfw
