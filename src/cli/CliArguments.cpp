#include "cli/CliArguments.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace quorfw {

namespace {

struct OptionSpec {
    std::string_view name;
    unsigned bit;
    bool takesValue;
};

constexpr OptionSpec kOptions[] = {
    {"--json", kCliOptionJson, false},         {"--simulate", kCliOptionSimulate, false},
    {"--folder", kCliOptionFolder, true},      {"--converter", kCliOptionConverter, true},
    {"--package", kCliOptionPackage, true},    {"--yes", kCliOptionYes, false},
    {"--oem-length", kCliOptionWiegand, true},
    {"--oem-code", kCliOptionWiegand, true},
    {"--facility-length", kCliOptionWiegand, true},
    {"--user-id-length", kCliOptionWiegand, true},
    {"--facility-code", kCliOptionWiegand, true},
    {"--scanner", kCliOptionWiegand, true},
    {"--service", kCliOptionService, true},
};

// Options that may be given more than once.
bool Repeatable(std::string_view name)
{
    return name == "--scanner";
}

const OptionSpec* FindOption(std::string_view name)
{
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name) {
            return &spec;
        }
    }
    return nullptr;
}

std::optional<int> ParseIndex(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

CliParseResult Refuse(std::string message)
{
    return CliParseResult{std::nullopt, std::move(message)};
}

}  // namespace

CliParseResult ParseCliArguments(const std::vector<std::string>& words, unsigned allowed)
{
    CliArguments arguments;
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if ((allowed & kCliOptionFile) != 0 && !word.starts_with("--")) {
            if (!arguments.file.empty()) {
                return Refuse("more than one file given: " + std::string(word));
            }
            if (word.empty()) {
                return Refuse("the file name is empty");
            }
            arguments.file = std::string(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const OptionSpec* spec = FindOption(name);
        if (spec == nullptr || (allowed & spec->bit) == 0) {
            return Refuse("unknown option: " + std::string(word));
        }
        if (std::find(seen.begin(), seen.end(), spec->name) != seen.end() && !Repeatable(spec->name)) {
            return Refuse("option given twice: " + std::string(name));
        }
        seen.push_back(spec->name);

        std::optional<std::string> value;
        if (equals != std::string_view::npos) {
            value = std::string(word.substr(equals + 1));
        } else if (spec->takesValue) {
            if (i + 1 >= words.size()) {
                return Refuse("option needs a value: " + std::string(name));
            }
            value = words[++i];
        }

        switch (spec->bit) {
        case kCliOptionJson:
            if (value) {
                return Refuse("option takes no value: --json");
            }
            arguments.json = true;
            break;
        case kCliOptionYes:
            if (value) {
                return Refuse("option takes no value: --yes");
            }
            arguments.yes = true;
            break;
        case kCliOptionSimulate:
            arguments.simulate = true;
            if (value) {
                if (value->empty()) {
                    return Refuse("--simulate= needs a file name");
                }
                arguments.simulationFile = *value;
            }
            break;
        case kCliOptionFolder:
            if (value->empty()) {
                return Refuse("--folder needs a folder name");
            }
            arguments.folder = *value;
            break;
        case kCliOptionConverter:
            if (value->empty()) {
                return Refuse("--converter needs a converter id");
            }
            arguments.converter = *value;
            break;
        case kCliOptionPackage:
            arguments.packageIndex = ParseIndex(*value);
            if (!arguments.packageIndex) {
                return Refuse("--package needs a selector index (0, 1, ...): " + *value);
            }
            break;
        case kCliOptionWiegand:
            arguments.settings.push_back({std::string(spec->name.substr(2)), *value});
            break;
        case kCliOptionService:
            if (value->empty()) {
                return Refuse("--service needs a host, optionally with :PORT");
            }
            arguments.service = *value;
            break;
        default:
            break;
        }
    }
    if ((allowed & kCliOptionFile) != 0 && arguments.file.empty()) {
        return Refuse("a file is needed");
    }
    return CliParseResult{arguments, {}};
}

}  // namespace quorfw
