#pragma once

#include <string>

namespace quorfw {

// The outcome of writing a whole file: written, or why not ("cannot create ...: No space
// left on device"), for a log line. A failed write leaves no file under the target's name
// and any earlier file of that name as it was.
struct FileWriteResult {
    bool written = false;
    std::string failure;

    explicit operator bool() const { return written; }
};

}  // namespace quorfw
