#include <string>

#include "cli/CliUserData.h"
#include "cli/CliVerbs.h"
#include "userdata/UserDataStart.h"

namespace quorfw {

// quorfwupdate backup FILE: the unit's users, templates and unit data into a backup file.
int RunBackupVerb(const CliArguments& arguments, CliContext& context)
{
    int exitCode = kExitOk;
    auto operation = PrepareUserDataOperation(arguments, context, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    const bool ok = operation->RunToEnd(StartBackup(model, operation->host(), arguments.file));
    const UserDataOutcome& outcome = model.userDataOutcome;

    CliJson fields;
    fields["file"] = arguments.file;
    fields["format"] = outcome.format;
    fields["users"] = outcome.users;
    fields["templates"] = outcome.templates;
    std::string text = "Converter " + operation->converter() + '\n';
    if (ok) {
        text += "Backup: " + arguments.file + " (format " + std::to_string(outcome.format) + ", " +
                std::to_string(outcome.users) + " users, " + std::to_string(outcome.templates) + " templates)\n";
    } else {
        text += "Backup: failed; " + arguments.file + " was not written\n";
    }
    WriteUserDataResult(arguments, context, *operation, ok, fields, text);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace quorfw
