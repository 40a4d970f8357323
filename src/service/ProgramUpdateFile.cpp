#include "service/ProgramUpdateFile.h"

#include <optional>

#include "common/LittleEndian.h"

namespace quorfw {

namespace {

class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> ReadU32()
    {
        if (bytes_.size() - at_ < 4) {
            return std::nullopt;
        }
        const std::uint32_t value = ReadLe32(reinterpret_cast<const std::uint8_t*>(bytes_.data() + at_));
        at_ += 4;
        return value;
    }

    std::optional<std::string_view> Take(std::size_t count)
    {
        if (bytes_.size() - at_ < count) {
            return std::nullopt;
        }
        const std::string_view part = bytes_.substr(at_, count);
        at_ += count;
        return part;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The name bytes as in a zero-filled 50-byte buffer, up to the first NUL code unit.
// Readable only when it is valid UTF-16 and nothing but NULs follows that first NUL.
ProgramUpdateEntry DecodeName(std::string_view raw)
{
    std::vector<char16_t> units;
    for (std::size_t k = 0; k < raw.size(); k += 2) {
        const auto low = static_cast<unsigned char>(raw[k]);
        const auto high = k + 1 < raw.size() ? static_cast<unsigned char>(raw[k + 1]) : 0;
        units.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    ProgramUpdateEntry entry{{}, true, {}};
    std::size_t k = 0;
    for (; k < units.size() && units[k] != 0; ++k) {
        char32_t c = units[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[k + 1] - 0xDC00);
            ++k;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            entry.nameReadable = false;
        }
        AppendUtf8(entry.name, c);
    }
    for (; k < units.size(); ++k) {
        if (units[k] != 0) {
            entry.nameReadable = false;
        }
    }
    return entry;
}

void AppendU32(std::string& out, std::uint32_t value)
{
    std::uint8_t bytes[4];
    WriteLe32(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

}  // namespace

ProgramUpdateContents ReadProgramUpdate(std::string_view bytes)
{
    ProgramUpdateContents contents;
    ByteCursor cursor(bytes);
    const auto marker = cursor.Take(1);
    if (!marker || static_cast<unsigned char>((*marker)[0]) != kProgramUpdateMarker) {
        return contents;
    }
    contents.markerOk = true;
    const auto count = cursor.ReadU32();
    if (!count) {
        return contents;
    }
    contents.declaredCount = *count;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto nameLength = cursor.ReadU32();
        if (!nameLength || *nameLength == 0 || *nameLength > kMaxProgramEntryNameBytes) {
            return contents;
        }
        const auto name = cursor.Take(*nameLength);
        if (!name) {
            return contents;
        }
        const auto dataLength = cursor.ReadU32();
        if (!dataLength || *dataLength == 0) {
            return contents;
        }
        // A short file ends the entries here rather than writing a truncated program file.
        const auto data = cursor.Take(*dataLength);
        if (!data) {
            return contents;
        }
        ProgramUpdateEntry entry = DecodeName(*name);
        entry.data.assign(*data);
        contents.entries.push_back(std::move(entry));
    }
    contents.complete = true;
    return contents;
}

bool IsSafeProgramFileName(std::string_view name)
{
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos ||
        name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) {
        return false;
    }
    const bool driveLetter = name.size() >= 2 && name[1] == ':' &&
                             ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return !driveLetter;
}

std::string EncodeProgramUpdate(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string out(1, static_cast<char>(kProgramUpdateMarker));
    AppendU32(out, static_cast<std::uint32_t>(entries.size()));
    for (const auto& [name, data] : entries) {
        std::string utf16;
        for (std::size_t k = 0; k < name.size();) {
            const auto lead = static_cast<unsigned char>(name[k]);
            char32_t c = lead;
            std::size_t length = 1;
            if (lead >= 0xF0) {
                length = 4;
                c = lead & 0x07;
            } else if (lead >= 0xE0) {
                length = 3;
                c = lead & 0x0F;
            } else if (lead >= 0xC0) {
                length = 2;
                c = lead & 0x1F;
            }
            for (std::size_t m = 1; m < length && k + m < name.size(); ++m) {
                c = (c << 6) | (static_cast<unsigned char>(name[k + m]) & 0x3F);
            }
            k += length;
            auto unit = [&](char16_t u) {
                utf16.push_back(static_cast<char>(u & 0xFF));
                utf16.push_back(static_cast<char>(u >> 8));
            };
            if (c >= 0x10000) {
                unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                unit(static_cast<char16_t>(c));
            }
        }
        AppendU32(out, static_cast<std::uint32_t>(utf16.size()));
        out += utf16;
        AppendU32(out, static_cast<std::uint32_t>(data.size()));
        out += data;
    }
    return out;
}

}  // namespace quorfw
