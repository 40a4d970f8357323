#include "userdata/RecordFormat.h"
#include "userdata/UnitDataBlocks.h"
#include "userdata/UserDataRecord.h"
#include "userdata/UserDataRecordNew.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace quorfw {
namespace {

// User 7, byte1 0xAB, templates in slots 0 and 9, name "ANNA" with stray bytes after the
// terminator, extra mask 0x0421 (slots 10, 15 and the unused bit 10).
constexpr std::array<std::uint8_t, 18> kNewRecordBytes = {
    0x07, 0xAB, 0x01, 0x00, 0x00, 0x08, 'A', 'N', 'N', 'A', 0x00, 'x', 'y', 'z', 'q', 'Z', 0x21, 0x04};

TEST(UserDataRecord, ReadsLittleEndianFieldsAndWritesTheSameBytesBack)
{
    const auto older = USERDATARECORD::Read(std::span(kNewRecordBytes).first(16));
    ASSERT_TRUE(older.has_value());
    EXPECT_EQ(older->userNumber, 7);
    EXPECT_EQ(older->byte1, 0xAB);
    EXPECT_EQ(older->templateMask, 0x08000001u);
    EXPECT_EQ(older->NameText(), "ANNA");
    const auto olderBytes = older->Bytes();
    EXPECT_TRUE(std::equal(olderBytes.begin(), olderBytes.end(), kNewRecordBytes.begin()));

    const auto newer = USERDATARECORDNEW::Read(kNewRecordBytes);
    ASSERT_TRUE(newer.has_value());
    EXPECT_EQ(newer->extraMask, 0x0421);
    EXPECT_EQ(newer->Bytes(), kNewRecordBytes);
}

TEST(UserDataRecord, RefusesRecordsCutShort)
{
    EXPECT_FALSE(USERDATARECORD::Read(std::span(kNewRecordBytes).first(15)).has_value());
    EXPECT_FALSE(USERDATARECORDNEW::Read(std::span(kNewRecordBytes).first(17)).has_value());
}

TEST(UserDataRecord, NameWithoutTerminatorStopsAtTheField)
{
    USERDATARECORD record;
    record.name.fill('W');
    EXPECT_EQ(record.NameText(), std::string(10, 'W'));
}

TEST(UserDataRecord, TemplateSlotsFromBothMasks)
{
    const auto record = *USERDATARECORDNEW::Read(kNewRecordBytes);
    // Slot 0 (bits 0-2) and slot 9 (bits 27-29) of the template mask.
    std::vector<unsigned> slots;
    for (unsigned slot = 0; slot < 22; ++slot) {
        if (record.HasTemplateInSlot(slot)) {
            slots.push_back(slot);
        }
    }
    EXPECT_EQ(slots, (std::vector<unsigned>{0, 9, 10, 15}));

    const auto older = *USERDATARECORD::Read(kNewRecordBytes);
    EXPECT_TRUE(older.HasTemplateInSlot(9));
    EXPECT_FALSE(older.HasTemplateInSlot(10));
    // Bits 30-31 belong to no slot.
    EXPECT_FALSE(MaskHasSlot(0xC0000000u, 9));
}

TEST(UserDataRecord, OlderRecordCarriedIntoNewerShape)
{
    auto older = *USERDATARECORD::Read(kNewRecordBytes);
    older.name.back() = 'Z';
    const auto newer = USERDATARECORDNEW::FromOlder(older);
    const auto bytes = newer.Bytes();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 15, kNewRecordBytes.begin()));
    EXPECT_EQ(bytes[15], 0);
    EXPECT_EQ(bytes[16], 0);
    EXPECT_EQ(bytes[17], 0);
}

TEST(RecordFormat, VersionBoundary)
{
    EXPECT_FALSE(UsesNewRecordFormat(2017502));
    EXPECT_TRUE(UsesNewRecordFormat(2017503));
    EXPECT_TRUE(UsesNewRecordFormat(0xFFFFFFFFu));
}

TEST(UnitDataBlocks, WideningKeepsTheShortFormAndAddsZeros)
{
    std::array<std::uint8_t, kUnitBlock2ShortSize> shortForm{};
    for (std::size_t i = 0; i < shortForm.size(); ++i) {
        shortForm[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    const auto longForm = WidenUnitBlock2(shortForm);
    EXPECT_TRUE(std::equal(shortForm.begin(), shortForm.end(), longForm.begin()));
    EXPECT_TRUE(std::all_of(longForm.begin() + 17, longForm.end(), [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace quorfw
