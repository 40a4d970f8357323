#include "app/Environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace quorfw {

EnvironmentLookup SystemEnvironment()
{
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr)
            return std::nullopt;
        return std::string(value);
    };
}

namespace {

std::string HomeFromPasswordDatabase()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || result == nullptr ||
        result->pw_dir == nullptr)
        return {};
    return result->pw_dir;
}

}  // namespace

std::string HomeFolder(const EnvironmentLookup& env)
{
    if (auto home = env("HOME"); home && !home->empty())
        return *home;
    return HomeFromPasswordDatabase();
}

}  // namespace quorfw
