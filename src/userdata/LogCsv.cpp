#include "userdata/LogCsv.h"

#include "app/UiStringIds.h"
#include "app/UiStrings.h"
#include "packages/PackageText.h"
#include "userdata/AtomicFileWrite.h"

namespace quorfw {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Unit texts are 8-bit; the export is UTF-8 like every file of the program.
std::string UnitText(const std::string& bytes)
{
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return EightBitTextToUtf8(std::span(first, bytes.size()));
}

}  // namespace

std::uint32_t LogEventTextId(char eventCode)
{
    switch (eventCode) {
    case '0': return kTextLogEvent0;
    case '1': return kTextLogEvent1;
    case '2': return kTextLogEvent2;
    case '3': return kTextLogEvent3;
    case '4': return kTextLogEvent4;
    case '6': return kTextLogEvent6;
    case '8': return kTextLogEvent8;
    case '9': return kTextLogEvent9;
    case 'A': return kTextLogEventA;
    case 'B': return kTextLogEventB;
    case 'C': return kTextLogEventC;
    case 'D': return kTextLogEventD;
    default: return 0;
    }
}

std::string LogBitsText(std::uint8_t bits)
{
    std::string text;
    for (unsigned bit = 0; bit < 4; ++bit) {
        if ((bits >> bit) & 1u) {
            if (!text.empty()) {
                text += ", ";
            }
            text += static_cast<char>('1' + bit);
        }
    }
    return text.empty() ? "-" : text;
}

std::string LogCsvHeader(const UiTextLookup& text)
{
    std::string line;
    for (std::uint32_t id = kTextLogCsvFirstColumn; id <= kTextLogCsvLastColumn; ++id) {
        if (id != kTextLogCsvFirstColumn) {
            line += ';';
        }
        line += text(id);
    }
    line += kLineEnd;
    return line;
}

std::string LogCsvLine(const LOGRECORD& record, const UiTextLookup& text)
{
    // Date and time are one text, DD.MM.YYYY;hh:mm, that ends at its first zero byte.
    const std::string dateTime =
        record.Day() + "." + record.Month() + "." + record.Year() + ";" + record.Hour() + ":" + record.Minute();
    const std::uint32_t eventText = LogEventTextId(record.EventCode());

    std::string line = std::to_string(record.Number());
    line += ';';
    line += UnitText(record.Text());
    line += ';';
    line += UnitText(dateTime);
    line += ":00;";
    line += std::to_string(record.SecondNumber());
    line += ';';
    line += UnitText(record.SecondText());
    line += ';';
    line += eventText != 0 ? text(eventText) : std::string();
    line += ';';
    line += LogBitsText(record.Bits());
    line += ';';
    // A zero code would put a NUL byte into a text file; it shows as nothing.
    line += UnitText(std::string(1, record.EventCode()));
    line += kLineEnd;
    return line;
}

std::string LogCsvText(std::span<const LOGRECORD> records, const UiTextLookup& text)
{
    std::string csv = LogCsvHeader(text);
    for (const LOGRECORD& record : records) {
        csv += LogCsvLine(record, text);
    }
    return csv;
}

FileWriteResult WriteLogCsv(const std::filesystem::path& path, std::span<const LOGRECORD> records,
                            const UiTextLookup& text)
{
    const std::string csv = LogCsvText(records, text);
    return WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
}

FileWriteResult WriteLogCsv(const std::filesystem::path& path, std::span<const LOGRECORD> records)
{
    return WriteLogCsv(path, records, [](std::uint32_t id) { return LoadUiString(id); });
}

}  // namespace quorfw
