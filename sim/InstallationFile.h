#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/FaultRule.h"
#include "sim/InstallationConfig.h"

namespace quorfw {

// Reads installation descriptions and fault scripts from JSON. Numbers that are bus
// values may be written as JSON integers or as strings ("0x70123456", "115200"); versions
// as "6.4.9.1" or as the integer 6040901; byte blocks as hex strings (spaces allowed).
// Unknown member names are errors, so a misspelt fault does not silently vanish.
// Errors name the place: "modules[1].version: ...".
class InstallationFile {
public:
    [[nodiscard]] static std::optional<InstallationConfig> Parse(std::string_view text, std::string& error);
    [[nodiscard]] static std::optional<InstallationConfig> Load(const std::filesystem::path& path, std::string& error);
    // A fault script on its own: a JSON array of fault rules.
    [[nodiscard]] static std::optional<std::vector<FaultRule>> ParseFaults(std::string_view text, std::string& error);
};

}  // namespace quorfw
