#include "app/LanguageFile.h"

#include <fstream>
#include <iterator>

#include "app/Utf8.h"

namespace quorfw {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kVersionTag = "#version";

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> ParseId(std::string_view digits)
{
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Returns false when the text holds an escape we do not know; such a sequence is kept as written.
bool Unescape(std::string_view escaped, std::string& out)
{
    bool clean = true;
    out.clear();
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 1 == escaped.size()) {
            out.push_back('\\');
            clean = false;
            break;
        }
        const char next = escaped[++i];
        switch (next) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case '\\': out.push_back('\\'); break;
        default:
            out.push_back('\\');
            out.push_back(next);
            clean = false;
        }
    }
    return clean;
}

void ParseLine(std::string_view line, std::size_t lineNumber, LanguageFile& file)
{
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (line.front() == '#') {
        if (line.substr(0, kVersionTag.size()) == kVersionTag && line.size() > kVersionTag.size() &&
            (line[kVersionTag.size()] == ' ' || line[kVersionTag.size()] == '\t'))
            file.version = std::string(Trim(line.substr(kVersionTag.size())));
        return;
    }
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) {
        file.problems.push_back(where + "no tab between ID and text");
        return;
    }
    const auto id = ParseId(line.substr(0, tab));
    if (!id) {
        file.problems.push_back(where + "the ID is not a number");
        return;
    }
    std::string text;
    if (!Unescape(line.substr(tab + 1), text))
        file.problems.push_back(where + "unknown escape in text " + std::to_string(*id));
    if (!IsValidUtf8(text))
        file.problems.push_back(where + "text " + std::to_string(*id) + " is not UTF-8");
    if (!file.texts.emplace(*id, std::move(text)).second)
        file.problems.push_back(where + "ID " + std::to_string(*id) + " appears twice; the first one counts");
}

}  // namespace

LanguageFile ParseLanguageFile(std::string_view content)
{
    LanguageFile file;
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        content.remove_prefix(kByteOrderMark.size());
    std::size_t lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (IsBlank(line))
            continue;
        ParseLine(line, lineNumber, file);
    }
    return file;
}

std::optional<LanguageFile> ReadLanguageFile(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxLanguageFileBytes)
        return std::nullopt;
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad() || content.size() > kMaxLanguageFileBytes)
            return std::nullopt;
        return ParseLanguageFile(content);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string ReadLanguageFileVersion(const std::filesystem::path& file)
{
    auto parsed = ReadLanguageFile(file);
    return parsed ? parsed->version : std::string();
}

}  // namespace quorfw
