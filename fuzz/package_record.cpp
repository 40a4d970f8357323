// Package container decryption and record parsing on arbitrary bytes. Every input is
// tried both as an encrypted package file and as an already decrypted record, with and
// without infoOnly; the copying and the in-place decryption must agree.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "packages/PackageContainer.h"
#include "packages/UpdateFile.h"

namespace {

// Reads every byte the parsed package claims to hold, so the sanitizers see any slice
// that points outside its buffer.
std::uint32_t TouchEverything(const quorfw::UpdateFile& file)
{
    std::uint32_t sum = 0;
    for (int s = 0; s < quorfw::kPackageSectionCount; ++s) {
        for (const std::uint8_t b : *file.GetSectionImage(s)) {
            sum += b;
        }
        sum += static_cast<std::uint32_t>(file.GetSectionVersion(s).size());
    }
    for (int type = -1; type <= 13; ++type) {
        sum += static_cast<std::uint32_t>(file.GetVersion(type).size());
    }
    sum += static_cast<std::uint32_t>(file.GetInfoText().size() + file.GetTitle().size() + file.GetName().size());
    sum += file.AppliesToSerial("20050100005678") ? 1 : 0;
    return sum;
}

void Parse(const std::vector<std::uint8_t>& record)
{
    for (const bool infoOnly : {false, true}) {
        quorfw::UpdateFile file;
        if (file.LoadRecord(record, infoOnly)) {
            const quorfw::UpdateFile copy = file;
            if (TouchEverything(copy) != TouchEverything(file)) {
                __builtin_trap();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> input(data, data + size);

    std::vector<std::uint8_t> plain = {0x5A};
    const bool decrypted = quorfw::DecryptPackageData(input, plain);
    std::vector<std::uint8_t> inPlace = input;
    if (quorfw::DecryptPackageDataInPlace(inPlace) != decrypted || (decrypted && inPlace != plain)) {
        __builtin_trap();
    }
    if (decrypted) {
        Parse(plain);
    }
    Parse(input);
    return 0;
}
