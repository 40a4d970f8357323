#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "userdata/FileWriteResult.h"
#include "userdata/LogRecord.h"

namespace quorfw {

// The text of a string id (LoadUiString in the program; a table in tests).
using UiTextLookup = std::function<std::string(std::uint32_t id)>;

// The event text id for a log record's event code, or 0 for a code without one.
[[nodiscard]] std::uint32_t LogEventTextId(char eventCode);

// Column 8 of a record: the numbers of the set bits among bits 0-3 ("1".."4", bit 0 is
// "1") joined by ", ", or "-" when none is set.
[[nodiscard]] std::string LogBitsText(std::uint8_t bits);

// The header line: the nine column titles separated by ';', then CR LF.
[[nodiscard]] std::string LogCsvHeader(const UiTextLookup& text);

// One record's line: number;text;DD.MM.YYYY;hh:mm:00;number;text;event text;bits;event code,
// then CR LF. No field is quoted; texts from the unit come out as UTF-8.
[[nodiscard]] std::string LogCsvLine(const LOGRECORD& record, const UiTextLookup& text);

// The whole export: the header and one line per record in order.
[[nodiscard]] std::string LogCsvText(std::span<const LOGRECORD> records, const UiTextLookup& text);

// Writes LogCsvText to path through a temporary file that replaces path only once complete.
[[nodiscard]] FileWriteResult WriteLogCsv(const std::filesystem::path& path, std::span<const LOGRECORD> records,
                                          const UiTextLookup& text);

// The same with the process's texts (LoadUiString).
[[nodiscard]] FileWriteResult WriteLogCsv(const std::filesystem::path& path, std::span<const LOGRECORD> records);

}  // namespace quorfw
