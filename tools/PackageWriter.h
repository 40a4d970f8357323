#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "packages/PackageCipher.h"
#include "packages/PackageSections.h"

namespace quorfw {

// Writes what the product only reads: package containers and package records. Used by
// qup-pack for the demo packages and by the tests for their fixtures.

enum class ContainerHeader { Short, Long };

// The inverse of PackageCipher::Apply (the cipher's decryption direction), in place, on
// whole 16-byte blocks.
void ApplyInverse(const PackageCipher& cipher, std::uint8_t* data, std::size_t length);

// Wraps plain bytes into a container: pads them with zero bytes to whole blocks, puts the
// padding count into the low four bits of the key word (the key material's own low four
// bits are ignored) and transforms the blocks so that the reader's Apply restores them.
[[nodiscard]] std::vector<std::uint8_t> EncryptContainer(std::span<const std::uint8_t> plain, std::uint32_t keyMaterial,
                                                         ContainerHeader header);

// The unit image of a package: [length1][length2][container 1][container 2].
[[nodiscard]] std::vector<std::uint8_t> BuildUnitComposite(std::span<const std::uint8_t> container1,
                                                           std::span<const std::uint8_t> container2);

// UTF-16LE bytes of a UTF-8 text; nullopt for text that is not valid UTF-8.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> Utf8ToUtf16Le(std::string_view text);

struct SectionContent {
    std::string version;              // only sections 0-3 and 7-12 carry one
    std::vector<std::uint8_t> data;   // as stored: a container, a unit composite or plain text
};

struct PackageRecordContent {
    std::uint8_t formatVersion = 7;
    std::vector<std::string> articles;  // up to 6 characters each
    std::string title;                  // up to 25 UTF-16 code units
    std::string name;
    // Exact bytes written for the title or name instead of the text (length field
    // included), for records that break the rules on purpose.
    std::optional<std::vector<std::uint8_t>> rawTitle;
    std::optional<std::vector<std::uint8_t>> rawName;
    std::array<SectionContent, kPackageSectionCount> sections;
    std::vector<std::uint8_t> trailing;  // appended after the last field
};

// The plain package record. Fails (with a reason) when a text does not fit its field or
// the format has no place for a section's data or version.
[[nodiscard]] bool BuildPackageRecord(const PackageRecordContent& content, std::vector<std::uint8_t>& record,
                                      std::string& error);

}  // namespace quorfw
