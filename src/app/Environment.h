#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorfw {

// Reads one environment variable; nullopt when it is not set. A seam so that language
// selection and folder defaults can be tested without touching the process environment.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment, plus the password database for the home folder when HOME
// is not set.
EnvironmentLookup SystemEnvironment();

// The user's home folder: HOME, else the account's entry; empty when neither is known.
std::string HomeFolder(const EnvironmentLookup& env);

}  // namespace quorfw
