#include "tools/PackageWriter.h"

#include <bit>

#include "common/LittleEndian.h"
#include "packages/PackageContainer.h"
#include "packages/UpdateFile.h"

namespace quorfw {

namespace {

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    std::uint8_t bytes[4];
    WriteLe32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void AppendBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A UTF-16LE text in a fixed field, NUL-padded; false when it does not fit.
bool AppendFixedText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t fieldSize)
{
    const std::optional<std::vector<std::uint8_t>> units = Utf8ToUtf16Le(text);
    if (!units || units->size() > fieldSize) {
        return false;
    }
    AppendBytes(out, *units);
    out.insert(out.end(), fieldSize - units->size(), 0);
    return true;
}

bool AppendLengthText(std::vector<std::uint8_t>& out, const std::string& text,
                      const std::optional<std::vector<std::uint8_t>>& raw, const char* what, std::string& error)
{
    if (raw) {
        AppendLe32(out, static_cast<std::uint32_t>(raw->size()));
        AppendBytes(out, *raw);
        return true;
    }
    const std::optional<std::vector<std::uint8_t>> units = Utf8ToUtf16Le(text);
    if (!units || units->size() > UpdateFile::kMaxTextLength) {
        error = std::string(what) + " \"" + text + "\" is not valid UTF-8 or longer than 25 UTF-16 code units";
        return false;
    }
    AppendLe32(out, static_cast<std::uint32_t>(units->size()));
    AppendBytes(out, *units);
    return true;
}

struct ExtraBlock {
    int section;
    std::uint8_t firstFormat;
};
constexpr std::array<ExtraBlock, 6> kExtraBlocks = {{{7, 3}, {8, 4}, {9, 5}, {10, 5}, {11, 6}, {12, 7}}};

}  // namespace

void ApplyInverse(const PackageCipher& cipher, std::uint8_t* data, std::size_t length)
{
    const auto& s = cipher.RoundKeys();
    constexpr int r = PackageCipher::kRounds;
    for (std::size_t offset = 0; offset + PackageCipher::kBlockSize <= length; offset += PackageCipher::kBlockSize) {
        std::uint8_t* block = data + offset;
        std::uint32_t a = ReadLe32(block) - s[2 * r + 2];
        std::uint32_t b = ReadLe32(block + 4);
        std::uint32_t c = ReadLe32(block + 8) - s[2 * r + 3];
        std::uint32_t d = ReadLe32(block + 12);
        for (int i = r; i >= 1; --i) {
            const std::uint32_t oldD = d;
            d = c;
            c = b;
            b = a;
            a = oldD;
            const std::uint32_t u = std::rotl(d * (2 * d + 1), 5);
            const std::uint32_t t = std::rotl(b * (2 * b + 1), 5);
            c = std::rotr(c - s[2 * i + 1], static_cast<int>(t & 31)) ^ u;
            a = std::rotr(a - s[2 * i], static_cast<int>(u & 31)) ^ t;
        }
        WriteLe32(block, a);
        WriteLe32(block + 4, b - s[0]);
        WriteLe32(block + 8, c);
        WriteLe32(block + 12, d - s[1]);
    }
}

std::vector<std::uint8_t> EncryptContainer(std::span<const std::uint8_t> plain, std::uint32_t keyMaterial,
                                           ContainerHeader header)
{
    const std::size_t padding = (PackageCipher::kBlockSize - plain.size() % PackageCipher::kBlockSize) %
                                PackageCipher::kBlockSize;
    const std::uint32_t keyWord = (keyMaterial & ~kContainerPaddingMask) | static_cast<std::uint32_t>(padding);
    const std::size_t headerSize = header == ContainerHeader::Long ? kContainerLongHeaderSize : kContainerShortHeaderSize;

    std::vector<std::uint8_t> out;
    out.reserve(headerSize + plain.size() + padding);
    AppendLe32(out, header == ContainerHeader::Long ? kContainerMagicLong : kContainerMagicShort);
    AppendLe32(out, keyWord);
    if (header == ContainerHeader::Long) {
        AppendLe32(out, static_cast<std::uint32_t>(headerSize + plain.size() + padding));
    }
    AppendBytes(out, plain);
    out.insert(out.end(), padding, 0);

    PackageCipher cipher;
    cipher.SetKey(keyMaterial & ~kContainerPaddingMask);
    ApplyInverse(cipher, out.data() + headerSize, out.size() - headerSize);
    return out;
}

std::vector<std::uint8_t> BuildUnitComposite(std::span<const std::uint8_t> container1,
                                             std::span<const std::uint8_t> container2)
{
    std::vector<std::uint8_t> out;
    out.reserve(8 + container1.size() + container2.size());
    AppendLe32(out, static_cast<std::uint32_t>(container1.size()));
    AppendLe32(out, static_cast<std::uint32_t>(container2.size()));
    AppendBytes(out, container1);
    AppendBytes(out, container2);
    return out;
}

std::optional<std::vector<std::uint8_t>> Utf8ToUtf16Le(std::string_view text)
{
    std::vector<std::uint8_t> out;
    const auto appendUnit = [&out](std::uint32_t unit) {
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&text](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
        const std::uint8_t b0 = byte(i);
        std::size_t length = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size()) {
            return std::nullopt;
        }
        std::uint32_t cp = length == 1 ? b0 : b0 & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        if (cp >= 0x10000) {
            appendUnit(0xD800 + ((cp - 0x10000) >> 10));
            appendUnit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnit(cp);
        }
        i += length;
    }
    return out;
}

bool BuildPackageRecord(const PackageRecordContent& content, std::vector<std::uint8_t>& record, std::string& error)
{
    const std::uint8_t format = content.formatVersion;
    const bool knownFormat = format >= UpdateFile::kFirstFormat && format <= UpdateFile::kLastFormat;

    // Which sections this format can carry, and which of them have a version field.
    std::array<bool, kPackageSectionCount> carried{};
    std::array<bool, kPackageSectionCount> versioned{};
    std::vector<int> lengthSections = format == 1 ? std::vector<int>{0, 1, 4, 6} : std::vector<int>{0, 1, 2, 3, 4, 5, 6};
    for (const int s : lengthSections) {
        carried[s] = true;
    }
    for (int s = 0; s < (format == 1 ? 2 : 4); ++s) {
        versioned[s] = true;
    }
    for (const ExtraBlock& block : kExtraBlocks) {
        if (format >= block.firstFormat) {
            carried[block.section] = versioned[block.section] = true;
        }
    }
    if (knownFormat) {
        for (int s = 0; s < kPackageSectionCount; ++s) {
            const SectionContent& section = content.sections[s];
            if (!carried[s] && !section.data.empty()) {
                error = "format " + std::to_string(format) + " has no section " + std::to_string(s);
                return false;
            }
            if (!versioned[s] && !section.version.empty()) {
                error = "section " + std::to_string(s) + " has no version text in format " + std::to_string(format);
                return false;
            }
        }
    }

    record.clear();
    record.push_back(format);
    AppendLe32(record, static_cast<std::uint32_t>(content.articles.size()));
    for (const std::string& article : content.articles) {
        if (!AppendFixedText(record, article, UpdateFile::kArticleFieldSize)) {
            error = "article \"" + article + "\" is longer than 6 characters";
            return false;
        }
    }
    if (!AppendLengthText(record, content.title, content.rawTitle, "title", error) ||
        !AppendLengthText(record, content.name, content.rawName, "name", error)) {
        return false;
    }
    // A record of an unknown format is written like a later one, for tests of rejection.
    if (!knownFormat) {
        lengthSections = {0, 1, 2, 3, 4, 5, 6};
    }
    for (int s = 0; s < (format == 1 ? 2 : 4); ++s) {
        if (!AppendFixedText(record, content.sections[s].version, UpdateFile::kVersionFieldSize)) {
            error = "version text of section " + std::to_string(s) + " is longer than 12 characters";
            return false;
        }
    }
    for (const int s : lengthSections) {
        AppendLe32(record, static_cast<std::uint32_t>(content.sections[s].data.size()));
    }
    for (const int s : lengthSections) {
        AppendBytes(record, content.sections[s].data);
    }
    for (const ExtraBlock& block : kExtraBlocks) {
        if (format < block.firstFormat || !knownFormat) {
            continue;
        }
        const SectionContent& section = content.sections[block.section];
        if (!AppendFixedText(record, section.version, UpdateFile::kVersionFieldSize)) {
            error = "version text of section " + std::to_string(block.section) + " is longer than 12 characters";
            return false;
        }
        AppendLe32(record, static_cast<std::uint32_t>(section.data.size()));
        AppendBytes(record, section.data);
    }
    AppendBytes(record, content.trailing);
    return true;
}

}  // namespace quorfw
