// Installation files and fault scripts come from users: whatever the bytes, the reader
// answers with a value or an error, never a crash, a hang or a read past the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/InstallationFile.h"
#include "sim/StrictJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quorfw::JsonError jsonError;
    (void)quorfw::StrictJson::Parse(text, jsonError);
    std::string error;
    (void)quorfw::InstallationFile::Parse(text, error);
    (void)quorfw::InstallationFile::ParseFaults(text, error);
    return 0;
}
