#include "tools/PackageManifest.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>

#include "packages/PackageSections.h"
#include "packages/VersionNumber.h"
#include "tools/DemoImage.h"
#include "tools/PackageWriter.h"

namespace quorfw {

namespace {

struct Entry {
    std::string value;
    int line = 0;
};

// The entries of the head (index 0) and of each section block, by key.
struct ManifestBlocks {
    std::map<std::string, Entry> head;
    std::array<std::map<std::string, Entry>, kPackageSectionCount> sections;
    std::array<int, kPackageSectionCount> sectionLine{};
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string At(int line, const std::string& message)
{
    return "line " + std::to_string(line) + ": " + message;
}

// Decimal or 0x-hexadecimal; a K or M suffix multiplies by 1024 or 1048576.
std::optional<std::uint64_t> ParseNumber(std::string_view text)
{
    text = Trim(text);
    std::uint64_t scale = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'M')) {
        scale = text.back() == 'K' ? 1024 : 1024 * 1024;
        text.remove_suffix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value * scale;
}

std::vector<std::string> SplitWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string current;
    for (const char ch : text) {
        if (ch == ' ' || ch == '\t' || ch == ',') {
            if (!current.empty()) {
                words.push_back(std::move(current));
                current.clear();
            }
        } else {
            current.push_back(ch);
        }
    }
    if (!current.empty()) {
        words.push_back(std::move(current));
    }
    return words;
}

bool SplitBlocks(std::string_view manifest, ManifestBlocks& blocks, std::string& error)
{
    std::map<std::string, Entry>* current = &blocks.head;
    int lineNumber = 0;
    std::istringstream lines{std::string(manifest)};
    for (std::string rawLine; std::getline(lines, rawLine);) {
        ++lineNumber;
        const std::string_view line = Trim(rawLine);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const std::vector<std::string> words = SplitWords(line.substr(1, line.find(']') - 1));
            const std::optional<std::uint64_t> number =
                words.size() == 2 ? ParseNumber(words[1]) : std::optional<std::uint64_t>{};
            std::optional<int> section;
            if (line.back() == ']' && number && words[0] == "section" && *number < kPackageSectionCount) {
                section = static_cast<int>(*number);
            } else if (line.back() == ']' && number && words[0] == "type" && *number <= 12) {
                section = SectionForModuleType(static_cast<int>(*number));
            }
            if (!section) {
                error = At(lineNumber, "expected [section 0-12] or [type N] with N a module type that has a section");
                return false;
            }
            if (blocks.sectionLine[*section] != 0) {
                error = At(lineNumber, "section " + std::to_string(*section) + " given twice");
                return false;
            }
            blocks.sectionLine[*section] = lineNumber;
            current = &blocks.sections[*section];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = At(lineNumber, "expected key = value");
            return false;
        }
        const std::string key(Trim(line.substr(0, equals)));
        if (current->count(key) != 0) {
            error = At(lineNumber, "\"" + key + "\" given twice");
            return false;
        }
        (*current)[key] = Entry{std::string(Trim(line.substr(equals + 1))), lineNumber};
    }
    return true;
}

bool CheckKeys(const std::map<std::string, Entry>& entries, std::initializer_list<std::string_view> allowed,
               std::string& error)
{
    for (const auto& [key, entry] : entries) {
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
            error = At(entry.line, "unknown key \"" + key + "\"");
            return false;
        }
    }
    return true;
}

struct ContainerSettings {
    std::uint32_t keyMaterial = 0;
    ContainerHeader header = ContainerHeader::Long;
};

bool ReadContainerSettings(const std::map<std::string, Entry>& entries, ContainerSettings& settings,
                           std::string& error)
{
    if (const auto it = entries.find("key"); it != entries.end()) {
        const std::optional<std::uint64_t> key = ParseNumber(it->second.value);
        if (!key || *key > 0xFFFFFFFFu) {
            error = At(it->second.line, "key must be a 32-bit number");
            return false;
        }
        settings.keyMaterial = static_cast<std::uint32_t>(*key);
    }
    if (const auto it = entries.find("header"); it != entries.end()) {
        if (it->second.value == "short") {
            settings.header = ContainerHeader::Short;
        } else if (it->second.value == "long") {
            settings.header = ContainerHeader::Long;
        } else {
            error = At(it->second.line, "header must be short or long");
            return false;
        }
    }
    return true;
}

bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// One data line: "file PATH", "generate KIND size=N seed=N", "text ...", "hex .." or "empty".
bool MakeData(const Entry& entry, const std::string& version, const std::filesystem::path& baseDir,
              std::vector<std::uint8_t>& data, std::string& error)
{
    const std::string_view value = entry.value;
    const std::size_t space = value.find(' ');
    const std::string_view kind = value.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view{} : Trim(value.substr(space + 1));
    if (kind == "empty") {
        data.clear();
        return true;
    }
    if (kind == "text") {
        data.assign(rest.begin(), rest.end());
        return true;
    }
    if (kind == "file") {
        if (!ReadFileBytes(baseDir / std::string(rest), data)) {
            error = At(entry.line, "cannot read " + (baseDir / std::string(rest)).string());
            return false;
        }
        return true;
    }
    if (kind == "hex") {
        data.clear();
        for (const std::string& word : SplitWords(rest)) {
            const std::optional<std::uint64_t> byte = ParseNumber("0x" + word);
            if (!byte || *byte > 0xFF) {
                error = At(entry.line, "bad hex byte \"" + word + "\"");
                return false;
            }
            data.push_back(static_cast<std::uint8_t>(*byte));
        }
        return true;
    }
    if (kind != "generate") {
        error = At(entry.line, "data must be file, generate, text, hex or empty");
        return false;
    }
    std::vector<std::string> words = SplitWords(rest);
    if (words.empty()) {
        error = At(entry.line, "generate needs a kind: module, firmware or settings");
        return false;
    }
    std::uint64_t size = 0;
    std::uint64_t seed = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::size_t eq = words[i].find('=');
        const std::string name = words[i].substr(0, eq);
        const std::optional<std::uint64_t> number =
            eq == std::string::npos ? std::nullopt : ParseNumber(std::string_view(words[i]).substr(eq + 1));
        if (!number || (name != "size" && name != "seed")) {
            error = At(entry.line, "expected size=N or seed=N, not \"" + words[i] + "\"");
            return false;
        }
        (name == "size" ? size : seed) = *number;
    }
    if (size > 64u * 1024 * 1024) {
        error = At(entry.line, "generated data is limited to 64M");
        return false;
    }
    const auto seed32 = static_cast<std::uint32_t>(seed);
    if (words[0] == "firmware") {
        data = GenerateFirmwareBytes(size, seed32);
    } else if (words[0] == "settings") {
        data = GenerateSettingsBlock(size, seed32);
    } else if (words[0] == "module") {
        if (version.empty()) {
            error = At(entry.line, "a module image needs the section's version for its layout");
            return false;
        }
        data = GenerateModuleImage(size, seed32, VersionToInt(version));
        if (data.empty()) {
            error = At(entry.line, "size too small for the image layout of version " + version);
            return false;
        }
    } else {
        error = At(entry.line, "unknown kind \"" + words[0] + "\"");
        return false;
    }
    return true;
}

bool BuildSection(int index, const std::map<std::string, Entry>& entries, int headerLine,
                  const ContainerSettings& packageContainer, const std::filesystem::path& baseDir,
                  SectionContent& section, std::string& error)
{
    if (!CheckKeys(entries, {"version", "wrap", "key", "header", "data", "data2"}, error)) {
        return false;
    }
    ContainerSettings container = packageContainer;
    if (!ReadContainerSettings(entries, container, error)) {
        return false;
    }
    if (const auto it = entries.find("version"); it != entries.end()) {
        section.version = it->second.value;
    }
    std::string wrap = index == kInfoTextSection ? "raw" : "container";
    if (const auto it = entries.find("wrap"); it != entries.end()) {
        wrap = it->second.value;
    }
    const auto data = entries.find("data");
    if (data == entries.end()) {
        error = At(headerLine, "section " + std::to_string(index) + " has no data");
        return false;
    }
    std::vector<std::uint8_t> plain;
    if (!MakeData(data->second, section.version, baseDir, plain, error)) {
        return false;
    }
    const auto data2 = entries.find("data2");
    if (data2 != entries.end() && wrap != "composite") {
        error = At(data2->second.line, "data2 belongs to wrap = composite");
        return false;
    }
    if (wrap == "raw") {
        section.data = std::move(plain);
    } else if (wrap == "container") {
        section.data = EncryptContainer(plain, container.keyMaterial, container.header);
    } else if (wrap == "composite") {
        std::vector<std::uint8_t> second;
        std::vector<std::uint8_t> plain2;
        if (data2 != entries.end()) {
            if (!MakeData(data2->second, section.version, baseDir, plain2, error)) {
                return false;
            }
            second = EncryptContainer(plain2, container.keyMaterial, container.header);
        }
        section.data = BuildUnitComposite(EncryptContainer(plain, container.keyMaterial, container.header), second);
    } else {
        error = At(entries.at("wrap").line, "wrap must be container, composite or raw");
        return false;
    }
    return true;
}

}  // namespace

bool BuildPackageFromManifest(std::string_view manifest, const std::filesystem::path& baseDir, bool plainRecord,
                              std::vector<std::uint8_t>& package, std::string& error)
{
    ManifestBlocks blocks;
    if (!SplitBlocks(manifest, blocks, error) ||
        !CheckKeys(blocks.head, {"format", "key", "header", "title", "name", "articles", "trailing"}, error)) {
        return false;
    }
    ContainerSettings container;
    if (!ReadContainerSettings(blocks.head, container, error)) {
        return false;
    }
    PackageRecordContent content;
    if (const auto it = blocks.head.find("format"); it != blocks.head.end()) {
        const std::optional<std::uint64_t> format = ParseNumber(it->second.value);
        if (!format || *format > 0xFF) {
            error = At(it->second.line, "format must be a byte");
            return false;
        }
        content.formatVersion = static_cast<std::uint8_t>(*format);
    }
    if (const auto it = blocks.head.find("title"); it != blocks.head.end()) {
        content.title = it->second.value;
    }
    if (const auto it = blocks.head.find("name"); it != blocks.head.end()) {
        content.name = it->second.value;
    }
    if (const auto it = blocks.head.find("articles"); it != blocks.head.end()) {
        content.articles = SplitWords(it->second.value);
    }
    if (const auto it = blocks.head.find("trailing"); it != blocks.head.end()) {
        const std::optional<std::uint64_t> count = ParseNumber(it->second.value);
        if (!count || *count > 1024 * 1024) {
            error = At(it->second.line, "trailing must be a byte count up to 1M");
            return false;
        }
        content.trailing.assign(*count, 0xA5);
    }
    for (int s = 0; s < kPackageSectionCount; ++s) {
        if (blocks.sectionLine[s] != 0 &&
            !BuildSection(s, blocks.sections[s], blocks.sectionLine[s], container, baseDir, content.sections[s], error)) {
            return false;
        }
    }
    std::vector<std::uint8_t> record;
    if (!BuildPackageRecord(content, record, error)) {
        return false;
    }
    package = plainRecord ? std::move(record) : EncryptContainer(record, container.keyMaterial, container.header);
    return true;
}

bool BuildPackageFromManifestFile(const std::filesystem::path& manifestPath, bool plainRecord,
                                  std::vector<std::uint8_t>& package, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(manifestPath, bytes)) {
        error = "cannot read " + manifestPath.string();
        return false;
    }
    if (!BuildPackageFromManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                  manifestPath.parent_path(), plainRecord, package, error)) {
        error = manifestPath.string() + ": " + error;
        return false;
    }
    return true;
}

}  // namespace quorfw
