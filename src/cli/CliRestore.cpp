#include <istream>
#include <string>

#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "cli/CliUserData.h"
#include "cli/CliVerbs.h"
#include "userdata/UserDataStart.h"

namespace quorfw {

namespace {

// The restore overwrites the unit's users: a person at a terminal is asked, a script must
// say --yes, and anyone else is refused before anything is sent.
int ConfirmRestore(const CliArguments& arguments, CliContext& context)
{
    if (arguments.yes) {
        return kExitOk;
    }
    if (!context.inputTerminal || context.in == nullptr) {
        context.err << "quorfwupdate restore: " << LoadUiString(kTextRestoreConfirm) << '\n'
                    << "quorfwupdate restore: not confirmed; give --yes to restore without a question. "
                       "Nothing was sent.\n";
        return kExitUsage;
    }
    context.err << LoadUiString(kTextRestoreConfirm) << "\nRestore " << arguments.file << " now? [y/N] "
                << std::flush;
    std::string answer;
    if (!std::getline(*context.in, answer) || (answer != "y" && answer != "Y" && answer != "yes")) {
        context.err << "quorfwupdate restore: cancelled; nothing was sent.\n";
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace

// quorfwupdate restore FILE: a backup file back into the unit and its modules.
int RunRestoreVerb(const CliArguments& arguments, CliContext& context)
{
    if (const int confirmed = ConfirmRestore(arguments, context); confirmed != kExitOk) {
        return confirmed;
    }
    int exitCode = kExitOk;
    auto operation = PrepareUserDataOperation(arguments, context, exitCode);
    if (!operation) {
        return exitCode;
    }
    MainModel& model = operation->model();
    (void)operation->RunToEnd(StartRestore(model, operation->host(), arguments.file));
    const bool ok = model.userDataOutcome.message == kTextRestoreDone;
    const RestoreCounters& counters = model.userData.counters;

    CliJson fields;
    fields["file"] = arguments.file;
    fields["users"] = counters.users;
    fields["templates0to9"] = counters.templates0to9;
    fields["templates10to14"] = counters.templates10to14;
    fields["templates15to19"] = counters.templates15to19;
    std::string text = "Converter " + operation->converter() + '\n';
    if (ok) {
        text += "Restore: " + arguments.file + " (" + std::to_string(counters.users) + " users; templates " +
                std::to_string(counters.templates0to9) + " in slots 0-9, " + std::to_string(counters.templates10to14) +
                " in 10-14, " + std::to_string(counters.templates15to19) + " in 15-19)\n";
    } else {
        text += "Restore: failed\n";
    }
    WriteUserDataResult(arguments, context, *operation, ok, fields, text);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace quorfw
