#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "sim/JsonValue.h"

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

// A strict reader for the installation files: one value per document, no comments, no
// trailing commas, no duplicate member names, UTF-8 only, bounded nesting. Strict so that
// a typing error in a fault script is reported instead of silently changing the run.
class JsonReader {
public:
    // Deep enough for any installation file, shallow enough that hostile input cannot
    // exhaust the stack.
    static constexpr std::size_t kMaxDepth = 64;

    [[nodiscard]] static std::optional<JsonValue> Parse(std::string_view text, JsonError& error);
};

}  // namespace quorfw
