#include "cli/CliUserData.h"

#include <vector>

namespace quorfw {

std::unique_ptr<CliOperation> PrepareUserDataOperation(const CliArguments& arguments, CliContext& context,
                                                       int& exitCode)
{
    CliHost::Options hostOptions;
    hostOptions.json = arguments.json;
    hostOptions.events = true;
    hostOptions.terminal = context.terminal;
    hostOptions.directProgress = true;
    return CliOperation::Prepare(arguments, context, hostOptions, exitCode);
}

void WriteUserDataResult(const CliArguments& arguments, CliContext& context, CliOperation& operation, bool ok,
                         const nlohmann::ordered_json& fields, const std::string& text)
{
    const std::vector<std::string> logLines = operation.host().TakeLogLines();
    if (arguments.json) {
        nlohmann::ordered_json result;
        result["event"] = "result";
        result["ok"] = ok;
        result["converter"] = operation.converter();
        for (const auto& [key, value] : fields.items()) {
            result[key] = value;
        }
        context.out << result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
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
