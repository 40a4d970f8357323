#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorfw {

// Options a verb may accept, as bits.
enum CliOptionBits : unsigned {
    kCliOptionJson = 1u << 0,
    kCliOptionSimulate = 1u << 1,
    kCliOptionFolder = 1u << 2,
    kCliOptionConverter = 1u << 3,
    kCliOptionPackage = 1u << 4,
    kCliOptionYes = 1u << 5,
    // One word that is not an option: the file the verb reads or writes (required).
    kCliOptionFile = 1u << 6,
    kCliOptionService = 1u << 7,
    // The Wiegand setting options: --oem-length, --oem-code, --facility-length,
    // --user-id-length, --facility-code and --scanner (repeatable).
    kCliOptionWiegand = 1u << 10,
};

// One Wiegand setting option as given: its name without the dashes and its text.
struct CliSetting {
    std::string name;
    std::string value;
};

// The command line after the verb, parsed.
struct CliArguments {
    bool json = false;
    bool simulate = false;
    std::string simulationFile;  // empty: the built-in installation
    std::optional<std::string> folder;
    std::optional<std::string> converter;
    std::optional<int> packageIndex;
    bool yes = false;
    std::string file;
    // In the order given; the verb reads and checks the values.
    std::vector<CliSetting> settings;
    std::optional<std::string> service;  // HOST or HOST:PORT
};

struct CliParseResult {
    std::optional<CliArguments> arguments;
    std::string error;  // why the command line was refused
};

// Parses the words after the verb. "--name VALUE" and "--name=VALUE" are both accepted
// for options with a value; --simulate takes its file only in the "=" form, so that a
// following word is never mistaken for it.
[[nodiscard]] CliParseResult ParseCliArguments(const std::vector<std::string>& words, unsigned allowed);

}  // namespace quorfw
