#include "packages/UpdateFile.h"

#include <algorithm>
#include <exception>

#include "packages/PackageContainer.h"
#include "packages/PackageText.h"
#include "packages/RecordCursor.h"

namespace quorfw {

namespace {

// Sections whose lengths follow the version texts, in record order.
constexpr std::array<int, 4> kFormat1LengthSections = {0, 1, kSettingsSection, kInfoTextSection};
constexpr std::array<int, 7> kLaterLengthSections = {0, 1, 2, 3, 4, 5, 6};

// Sections appended as [version][length][data] blocks, each from the format that added it.
struct ExtraBlock {
    int section;
    std::uint8_t firstFormat;
};
constexpr std::array<ExtraBlock, 6> kExtraBlocks = {{{7, 3}, {8, 4}, {9, 5}, {10, 5}, {11, 6}, {12, 7}}};

// Lengths from 2^31 up cannot be allocated by the package format's byte arrays.
constexpr std::uint32_t kMaxSectionLength = 0x7FFFFFFF;

// A serial number's first six characters (code points), the article number.
std::string_view ArticlePart(std::string_view serial)
{
    int characters = 0;
    for (std::size_t i = 0; i < serial.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(serial[i]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > 6) {
            return serial.substr(0, i);
        }
    }
    return serial;
}

}  // namespace

void UpdateFile::ClearContents()
{
    for (PackageSection& section : sections_) {
        section = PackageSection{};
    }
    articles_.clear();
    title_.clear();
    name_.clear();
}

void UpdateFile::Clear()
{
    ClearContents();
    path_.clear();
}

bool UpdateFile::Load(const std::string& path, bool infoOnly)
{
    ClearContents();
    path_ = path;
    try {
        auto record = std::make_shared<std::vector<std::uint8_t>>();
        if (!ReadPackageFile(path, *record)) {
            return false;
        }
        return ParseRecord(std::move(record), infoOnly);
    } catch (const std::exception&) {
        return false;
    }
}

bool UpdateFile::LoadRecord(std::shared_ptr<const std::vector<std::uint8_t>> record, bool infoOnly)
{
    ClearContents();
    if (!record) {
        return false;
    }
    try {
        return ParseRecord(record, infoOnly);
    } catch (const std::exception&) {
        return false;
    }
}

bool UpdateFile::LoadRecord(std::vector<std::uint8_t> record, bool infoOnly)
{
    ClearContents();
    try {
        return ParseRecord(std::make_shared<const std::vector<std::uint8_t>>(std::move(record)), infoOnly);
    } catch (const std::exception&) {
        return false;
    }
}

bool UpdateFile::ParseRecord(const std::shared_ptr<const std::vector<std::uint8_t>>& record, bool infoOnly)
{
    RecordCursor cursor(*record);
    std::span<const std::uint8_t> field;
    const auto sliceOf = [&record](std::span<const std::uint8_t> bytes) {
        return SharedBytes(record, static_cast<std::size_t>(bytes.data() - record->data()), bytes.size());
    };
    const auto readText = [&cursor, &field](std::string& text) {
        std::uint32_t length = 0;
        if (!cursor.ReadU32(length) || length > kMaxTextLength || !cursor.Take(length, field)) {
            return false;
        }
        text = Utf16LeFieldToUtf8(field);
        return true;
    };
    const auto readVersion = [&cursor, &field](std::string& version) {
        if (!cursor.Take(kVersionFieldSize, field)) {
            return false;
        }
        version = Utf16LeFieldToUtf8(field);
        return true;
    };
    const auto readLength = [&cursor](std::uint32_t& length) {
        return cursor.ReadU32(length) && length <= kMaxSectionLength;
    };

    std::uint8_t format = 0;
    if (!cursor.ReadU8(format) || format < kFirstFormat || format > kLastFormat) {
        return false;
    }

    std::uint32_t articleCount = 0;
    if (!cursor.ReadU32(articleCount) || articleCount > cursor.Remaining() / kArticleFieldSize) {
        return false;
    }
    articles_.reserve(articleCount);
    for (std::uint32_t i = 0; i < articleCount; ++i) {
        if (!cursor.Take(kArticleFieldSize, field)) {
            return false;
        }
        articles_.push_back(Utf16LeFieldToUtf8(field));
    }

    if (!readText(title_) || !readText(name_)) {
        return false;
    }

    const int versionedSections = format == 1 ? 2 : 4;
    for (int s = 0; s < versionedSections; ++s) {
        if (!readVersion(sections_[s].version)) {
            return false;
        }
    }

    const std::span<const int> lengthSections =
        format == 1 ? std::span<const int>(kFormat1LengthSections) : std::span<const int>(kLaterLengthSections);
    std::array<std::uint32_t, kLaterLengthSections.size()> lengths{};
    for (std::size_t i = 0; i < lengthSections.size(); ++i) {
        if (!readLength(lengths[i])) {
            return false;
        }
    }

    for (std::size_t i = 0; i < lengthSections.size(); ++i) {
        if (!cursor.Take(lengths[i], field)) {
            return false;
        }
        const int section = lengthSections[i];
        if (format == 1 && infoOnly) {
            // A display-only load keeps just the small information text, in a buffer of
            // its own, so the record with the images can be released.
            if (section == kInfoTextSection) {
                sections_[section].image = SharedBytes(std::vector<std::uint8_t>(field.begin(), field.end()));
            }
            continue;
        }
        sections_[section].image = sliceOf(field);
    }
    if (format == 1) {
        return true;
    }

    for (const ExtraBlock& block : kExtraBlocks) {
        if (format < block.firstFormat) {
            continue;
        }
        std::uint32_t length = 0;
        if (!readVersion(sections_[block.section].version) || !readLength(length) || !cursor.Take(length, field)) {
            return false;
        }
        sections_[block.section].image = sliceOf(field);
    }
    return true;
}

std::string UpdateFile::GetVersion(int moduleType) const
{
    const std::optional<int> section = SectionForModuleType(moduleType);
    return section ? sections_[*section].version : std::string{};
}

std::string UpdateFile::GetSectionVersion(int section) const
{
    if (section < 0 || section >= kPackageSectionCount) {
        return {};
    }
    return sections_[section].version;
}

const SharedBytes* UpdateFile::GetImage(int moduleType) const
{
    const std::optional<int> section = SectionForModuleType(moduleType);
    return section ? &sections_[*section].image : nullptr;
}

const SharedBytes* UpdateFile::GetSectionImage(int section) const
{
    if (section < 0 || section >= kPackageSectionCount) {
        return nullptr;
    }
    return &sections_[section].image;
}

std::string UpdateFile::GetInfoText() const
{
    return EightBitTextToUtf8(sections_[kInfoTextSection].image.span());
}

bool UpdateFile::AppliesToSerial(std::string_view serialNumber) const
{
    const std::string_view article = ArticlePart(serialNumber);
    return std::find(articles_.begin(), articles_.end(), article) != articles_.end();
}

}  // namespace quorfw
