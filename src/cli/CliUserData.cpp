#include "cli/CliUserData.h"

#include <vector>

#include "cli/CliJson.h"

namespace quorfw {

std::unique_ptr<CliOperation> PrepareUserDataOperation(const CliArguments& arguments, CliContext& context,
                                                       int& exitCode)
{
    CliHost::Options hostOptions = CliOperation::EventHostOptions(arguments, context);
    hostOptions.directProgress = true;
    return CliOperation::Prepare(arguments, context, hostOptions, exitCode);
}

void WriteUserDataResult(const CliArguments& arguments, CliContext& context, CliOperation& operation, bool ok,
                         const CliJson& fields, const std::string& text)
{
    const std::vector<std::string> logLines = operation.host().TakeLogLines();
    if (arguments.json) {
        CliJson result;
        result["event"] = "result";
        result["ok"] = ok;
        result["converter"] = operation.converter();
        for (const auto& [key, value] : fields.items()) {
            result[key] = value;
        }
        context.out << JsonLine(result) << '\n';
        return;
    }
    context.out << text;
    if (!ok && !logLines.empty()) {
        context.out << "Update log:\n";
        for (const std::string& line : logLines) {
            context.out << "  " << line << '\n';
        }
    }
}

}  // namespace quorfw
