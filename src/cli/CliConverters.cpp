#include <string>

#include "cli/CliConverterHub.h"
#include "cli/CliVerbs.h"
#include "cli/CliJson.h"

namespace quorfw {

// quorfwupdate converters: the ids of the converters that can be opened now.
int RunConvertersVerb(const CliArguments& arguments, CliContext& context)
{
    std::string error;
    const auto hub = MakeCliConverterHub(arguments, context, error);
    if (!hub) {
        context.err << "quorfwupdate converters: " << error << '\n';
        return kExitUsage;
    }
    const std::vector<std::string> ids = hub->Enumerate();
    if (arguments.json) {
        CliJson json = CliJson::object();
        json["ok"] = true;
        json["converters"] = ids;
        context.out << JsonLine(json) << '\n';
    } else if (ids.empty()) {
        context.err << "No bus converter found. Connect one, or add the simulated installation with --simulate.\n";
    } else {
        for (const std::string& id : ids) {
            context.out << id << '\n';
        }
    }
    return kExitOk;
}

}  // namespace quorfw
