#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "packages/PackageSections.h"
#include "packages/SharedBytes.h"

namespace quorfw {

// One section of a package: an image or settings block, still encrypted as the package
// carries it (the information text excepted), and its version text.
struct PackageSection {
    SharedBytes image;
    std::string version;
};

// One update package in memory. A value type: a copy is an independent object, though
// copies share the (immutable) image bytes instead of duplicating them. Texts are UTF-8.
class UpdateFile {
public:
    // Record layout of the decrypted package file.
    static constexpr std::uint8_t kFirstFormat = 1;
    static constexpr std::uint8_t kLastFormat = 7;
    static constexpr std::size_t kArticleFieldSize = 12;  // 6 UTF-16 code units
    static constexpr std::size_t kVersionFieldSize = 24;  // 12 UTF-16 code units
    static constexpr std::uint32_t kMaxTextLength = 50;   // title and name, in bytes

    // Reads, decrypts and parses a package file. `infoOnly` leaves out the images of a
    // format-1 package (sections 0, 1 and 4); later formats are always loaded whole.
    // On false the object keeps what was filled before the failure, the path at least.
    [[nodiscard]] bool Load(const std::string& path, bool infoOnly);

    // Parses a decrypted record; the sections keep slices of `record`, so its bytes are
    // held once. Clears everything but the path first.
    [[nodiscard]] bool LoadRecord(std::shared_ptr<const std::vector<std::uint8_t>> record, bool infoOnly);
    [[nodiscard]] bool LoadRecord(std::vector<std::uint8_t> record, bool infoOnly);

    void Clear();

    [[nodiscard]] const std::string& GetTitle() const { return title_; }
    [[nodiscard]] const std::string& GetName() const { return name_; }
    [[nodiscard]] const std::string& GetPath() const { return path_; }
    [[nodiscard]] const std::vector<std::string>& GetArticles() const { return articles_; }

    // Version text of the section a module type addresses; empty for types without one.
    [[nodiscard]] std::string GetVersion(int moduleType) const;
    [[nodiscard]] std::string GetSectionVersion(int section) const;

    // Image of the section a module type addresses; null for types without one.
    [[nodiscard]] const SharedBytes* GetImage(int moduleType) const;
    // Image or block of a section by index (settings blocks: 4 and 5); null outside 0-12.
    [[nodiscard]] const SharedBytes* GetSectionImage(int section) const;

    // The information text (section 6) up to its first zero byte.
    [[nodiscard]] std::string GetInfoText() const;

    // True when the first six characters of the serial number (all of it if shorter)
    // equal one of the package's article numbers.
    [[nodiscard]] bool AppliesToSerial(std::string_view serialNumber) const;

private:
    [[nodiscard]] bool ParseRecord(const std::shared_ptr<const std::vector<std::uint8_t>>& record, bool infoOnly);
    void ClearContents();

    std::array<PackageSection, kPackageSectionCount> sections_;
    std::vector<std::string> articles_;
    std::string title_;
    std::string name_;
    std::string path_;
};

}  // namespace quorfw
