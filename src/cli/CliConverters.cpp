#include <string>

#include "cli/CliConverterHub.h"
#include "cli/CliVerbs.h"
#include "cli/JsonWriter.h"

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
        JsonWriter json;
        json.BeginObject().Key("ok").Bool(true).Key("converters").BeginArray();
        for (const std::string& id : ids) {
            json.String(id);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
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
