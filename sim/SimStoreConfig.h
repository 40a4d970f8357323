#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorfw {

// What a simulated unit stores when the installation says so (otherwise it holds the demo
// contents). Records take the unit's format (18 or 16 bytes by its version); each template
// goes to the module that holds its slot.
struct SimStoreUser {
    std::uint8_t number = 0;
    std::uint8_t byte1 = 0;
    std::uint32_t templateMask = 0;
    // Slots 10-19 (newer units only).
    std::uint16_t extraMask = 0;
    std::string name;

    friend bool operator==(const SimStoreUser&, const SimStoreUser&) = default;
};

struct SimStoreTemplate {
    std::uint8_t user = 0;
    unsigned slot = 0;
    std::vector<std::uint8_t> data;

    friend bool operator==(const SimStoreTemplate&, const SimStoreTemplate&) = default;
};

// Users 1..users, each with templates in slots 0..templatesPerUser-1 of templateBytes
// random bytes (from seed), added after the listed ones.
struct SimStoreGenerate {
    std::uint32_t users = 0;
    std::uint32_t templatesPerUser = 0;
    std::uint32_t templateBytes = 0;
    std::uint64_t seed = 1;

    friend bool operator==(const SimStoreGenerate&, const SimStoreGenerate&) = default;
};

struct SimStoreConfig {
    std::vector<SimStoreUser> users;
    std::vector<SimStoreTemplate> templates;
    std::optional<SimStoreGenerate> generate;
    // Access-log records exactly as the unit delivers them.
    std::vector<std::array<std::uint8_t, 38>> log;
    // Unit data blocks by backup tag (1, 2, 3, 4, 9, 10); missing ones are zeros.
    std::map<std::uint16_t, std::vector<std::uint8_t>> blocks;

    friend bool operator==(const SimStoreConfig&, const SimStoreConfig&) = default;
};

}  // namespace quorfw
