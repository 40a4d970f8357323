// A program update file arrives from the network and is unpacked into the program's own
// folder: whatever the bytes, the reader gives a value, never a crash or a read past the
// input, and only plain names pass the name check.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/ProgramUpdateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const quorfw::ProgramUpdateContents contents = quorfw::ReadProgramUpdate(input);
    if (contents.entries.size() > contents.declaredCount || (contents.complete && !contents.markerOk)) {
        __builtin_trap();
    }
    std::size_t total = 0;
    for (const quorfw::ProgramUpdateEntry& entry : contents.entries) {
        total += entry.data.size();
        if (entry.data.empty()) {
            __builtin_trap();
        }
        if (quorfw::IsSafeProgramFileName(entry.name) &&
            (entry.name.find('/') != std::string_view::npos || entry.name.find('\\') != std::string_view::npos ||
             entry.name.find("..") != std::string_view::npos || entry.name.empty())) {
            __builtin_trap();
        }
    }
    if (total > size) {
        __builtin_trap();
    }
    return 0;
}
