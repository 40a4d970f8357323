#include "userdata/LogCsv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/UiTexts.h"
#include "tests/app/ScratchFolder.h"

namespace quorfw {
namespace {

std::string IdText(std::uint32_t id)
{
    return "T" + std::to_string(id);
}

void Put(LOGRECORD& record, std::size_t offset, std::string_view text)
{
    std::copy(text.begin(), text.end(), record.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A record of 24.12.2025 08:15 at door 3.
LOGRECORD Record(char eventCode, std::uint8_t bits, std::string_view name = "ANNA")
{
    LOGRECORD record;
    record.bytes.fill(0);
    record.bytes[3] = 200;
    Put(record, 4, name);
    Put(record, 16, "0815");
    Put(record, 21, "24122025");
    record.bytes[30] = 3;
    Put(record, 31, "DOOR");
    record.bytes[36] = static_cast<std::uint8_t>(eventCode);
    record.bytes[37] = bits;
    return record;
}

TEST(LogCsv, LinesForEventCodesAndBitSets)
{
    struct Case {
        LOGRECORD record;
        std::string line;
    };
    const std::vector<Case> cases = {
        {Record('0', 0x05), "200;ANNA;24.12.2025;08:15:00;3;DOOR;T3001;1, 3;0\r\n"},
        {Record('4', 0x04), "200;ANNA;24.12.2025;08:15:00;3;DOOR;T3005;3;4\r\n"},
        {Record('5', 0x00), "200;ANNA;24.12.2025;08:15:00;3;DOOR;;-;5\r\n"},
        {Record('6', 0xF0), "200;ANNA;24.12.2025;08:15:00;3;DOOR;T3006;-;6\r\n"},
        {Record('9', 0x0F), "200;ANNA;24.12.2025;08:15:00;3;DOOR;T3008;1, 2, 3, 4;9\r\n"},
        {Record('D', 0x0A), "200;ANNA;24.12.2025;08:15:00;3;DOOR;T3012;2, 4;D\r\n"},
        {Record('E', 0x01), "200;ANNA;24.12.2025;08:15:00;3;DOOR;;1;E\r\n"},
        // Ten characters from byte 4 on: the name shows its first seven.
        {Record('1', 0x02, "ABCDEFGHIJ"), "200;ABCDEFG;24.12.2025;08:15:00;3;DOOR;T3002;2;1\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogCsvLine(c.record, IdText), c.line);
    }

    const std::vector<std::pair<char, std::uint32_t>> codes = {
        {'0', 3001}, {'1', 3002}, {'2', 3003}, {'3', 3004}, {'4', 3005}, {'6', 3006}, {'8', 3007},
        {'9', 3008}, {'A', 3009}, {'B', 3010}, {'C', 3011}, {'D', 3012}, {'5', 0},    {'7', 0},
        {'a', 0},    {'E', 0},    {'\0', 0},
    };
    for (const auto& [code, id] : codes) {
        EXPECT_EQ(LogEventTextId(code), id) << code;
    }
}

// Unit texts are 8-bit; the file is UTF-8 and carries no NUL byte.
TEST(LogCsv, UnitTextsBecomeUtf8)
{
    LOGRECORD record = Record('\0', 0, "J\xF6rg");
    record.bytes[22] = 0;  // a date cut short ends the date and time text, as the line format did
    EXPECT_EQ(LogCsvLine(record, IdText), "200;J\xC3\xB6rg;2:00;3;DOOR;;-;\r\n");
}

TEST(LogCsv, HeaderFromTheLanguageFileAndOneLinePerRecord)
{
    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const UiTexts texts(std::filesystem::path(source) / "lang", "en_US.UTF-8");
    const UiTextLookup lookup = [&](std::uint32_t id) { return texts.Text(id); };

    test::ScratchFolder folder;
    const std::vector<LOGRECORD> records = {Record('0', 1), Record('B', 8)};
    ASSERT_TRUE(WriteLogCsv(folder / "log.csv", records, lookup));
    EXPECT_EQ(folder.Read("log.csv"),
              "No.;Name;Date;Time;Device;Code;Event;Outputs;Event code\r\n"
              "200;ANNA;24.12.2025;08:15:00;3;DOOR;Event 0;1;0\r\n"
              "200;ANNA;24.12.2025;08:15:00;3;DOOR;Event B;4;B\r\n");

    EXPECT_FALSE(WriteLogCsv(folder / "missing" / "log.csv", records, lookup));
}

}  // namespace
}  // namespace quorfw
