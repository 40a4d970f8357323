#include "cli/CliVerbs.h"

#include "common/ProgramVersion.h"

namespace quorfw {

namespace {

constexpr unsigned kScanOptions = kCliOptionJson | kCliOptionSimulate | kCliOptionFolder | kCliOptionConverter;

constexpr CliVerb kVerbs[] = {
    {"converters", kCliOptionJson | kCliOptionSimulate, "converters [--simulate[=FILE]] [--json]",
     RunConvertersVerb},
    {"packages", kCliOptionJson | kCliOptionFolder, "packages [--folder DIR] [--json]", RunPackagesVerb},
    {"scan", kScanOptions, "scan [--converter ID] [--simulate[=FILE]] [--folder DIR] [--json]", RunScanVerb},
    {"update", kScanOptions | kCliOptionPackage,
     "update [--converter ID] [--simulate[=FILE]] [--folder DIR] [--package INDEX] [--json]", RunUpdateVerb},
    {"backup", kScanOptions | kCliOptionFile, "backup FILE [--converter ID] [--simulate[=FILE]] [--folder DIR] [--json]",
     RunBackupVerb},
    {"export", kScanOptions | kCliOptionFile, "export FILE [--converter ID] [--simulate[=FILE]] [--folder DIR] [--json]",
     RunExportVerb},
    {"restore", kScanOptions | kCliOptionFile | kCliOptionYes,
     "restore FILE [--yes] [--converter ID] [--simulate[=FILE]] [--folder DIR] [--json]", RunRestoreVerb},
    {"wiegand", kCliOptionJson | kCliOptionSimulate | kCliOptionConverter | kCliOptionWiegand,
     "wiegand [--converter ID] [--simulate[=FILE]] [--json] [--oem-length N] [--oem-code N] [--facility-length N] "
     "[--user-id-length N] [--facility-code N | --scanner K=SERIAL:CODE ...]", RunWiegandVerb},
    {"device-firmware", kScanOptions | kCliOptionPackage,
     "device-firmware [--folder DIR] [--json] [--package ROW [--converter ID] [--simulate[=FILE]]]",
     RunDeviceFirmwareVerb},
    {"download", kCliOptionJson | kCliOptionFolder | kCliOptionService,
     "download [--folder DIR] [--service HOST[:PORT]] [--json]", RunDownloadVerb},
};

}  // namespace

std::span<const CliVerb> CliVerbs()
{
    return kVerbs;
}

std::string CliUsage()
{
    std::string usage = "usage:\n";
    for (const CliVerb& verb : kVerbs) {
        usage += "  quorfwupdate ";
        usage += verb.synopsis;
        usage += '\n';
    }
    usage += "  quorfwupdate --version\n";
    return usage;
}

int RunCliVerb(const std::vector<std::string>& words, CliContext& context)
{
    if (words.empty()) {
        context.err << CliUsage();
        return kExitUsage;
    }
    if (words[0] == "help" || words[0] == "--help" || words[0] == "-h") {
        context.out << CliUsage();
        return kExitOk;
    }
    if (words[0] == "--version") {
        context.out << "quorfwupdate " << kProgramVersion << '\n';
        return kExitOk;
    }
    for (const CliVerb& verb : kVerbs) {
        if (verb.name != words[0]) {
            continue;
        }
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        const CliParseResult parsed = ParseCliArguments(rest, verb.options);
        if (!parsed.arguments) {
            context.err << "quorfwupdate " << verb.name << ": " << parsed.error << "\n"
                        << "usage: quorfwupdate " << verb.synopsis << '\n';
            return kExitUsage;
        }
        return verb.run(*parsed.arguments, context);
    }
    context.err << "quorfwupdate: unknown command: " << words[0] << '\n' << CliUsage();
    return kExitUsage;
}

}  // namespace quorfw
