#include "userdata/LogRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace quorfw {
namespace {

std::vector<std::uint8_t> SampleLogBytes()
{
    std::vector<std::uint8_t> bytes(38, 0);
    bytes[3] = 200;
    // Ten non-zero characters from byte 4 on: only seven belong to the text.
    std::memcpy(&bytes[4], "ABCDEFGHIJ", 10);
    std::memcpy(&bytes[16], "0931", 4);
    std::memcpy(&bytes[21], "24122025", 8);
    bytes[30] = 3;
    std::memcpy(&bytes[31], "DO", 2);
    bytes[36] = 'A';
    bytes[37] = 0xF5;
    return bytes;
}

TEST(LogRecord, FieldsAtTheirOffsets)
{
    const auto record = LOGRECORD::Read(SampleLogBytes());
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Number(), 200);
    EXPECT_EQ(record->Text(), "ABCDEFG");
    EXPECT_EQ(record->Hour(), "09");
    EXPECT_EQ(record->Minute(), "31");
    EXPECT_EQ(record->Day(), "24");
    EXPECT_EQ(record->Month(), "12");
    EXPECT_EQ(record->Year(), "2025");
    EXPECT_EQ(record->SecondNumber(), 3);
    EXPECT_EQ(record->SecondText(), "DO");
    EXPECT_EQ(record->EventCode(), 'A');
    EXPECT_EQ(record->Bits(), 0x05);
}

TEST(LogRecord, SecondTextStopsAtFiveCharacters)
{
    auto bytes = SampleLogBytes();
    std::memcpy(&bytes[31], "VWXYZ", 5);
    EXPECT_EQ(LOGRECORD::Read(bytes)->SecondText(), "VWXYZ");
    bytes.resize(37);
    EXPECT_FALSE(LOGRECORD::Read(bytes).has_value());
}

}  // namespace
}  // namespace quorfw
