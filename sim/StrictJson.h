#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quorfw {

// Where and why a document was rejected. Line and column count from 1; the column
// counts bytes.
struct JsonError {
    std::string message;
    std::size_t line = 0;
    std::size_t column = 0;

    // "line L, column C: message"
    [[nodiscard]] std::string ToText() const;
};

// Reads the installation files strictly: one value per document, no comments, no trailing
// commas, no duplicate member names, UTF-8 only (no byte order mark), bounded nesting.
// Strict so that a typing error in a fault script is reported instead of silently changing
// the run. Objects keep their members in file order, so messages follow the file.
class StrictJson {
public:
    // Deep enough for any installation file, shallow enough that hostile input cannot
    // exhaust the stack.
    static constexpr std::size_t kMaxDepth = 64;

    [[nodiscard]] static std::optional<nlohmann::ordered_json> Parse(std::string_view text, JsonError& error);
};

}  // namespace quorfw
