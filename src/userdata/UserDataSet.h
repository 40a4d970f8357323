#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "userdata/LogRecord.h"
#include "userdata/TemplateBuffer.h"
#include "userdata/TemplateSlots.h"
#include "userdata/UnitDataBlocks.h"
#include "userdata/UserDataRecord.h"
#include "userdata/UserDataRecordNew.h"

namespace quorfw {

// The format byte at the start of a backup file: 1 for 16-byte user records and the 17-byte
// unit block 2 (older units), 2 for 18-byte records and the 33-byte block (newer units).
inline constexpr std::uint8_t kBackupFormatOlder = 1;
inline constexpr std::uint8_t kBackupFormatNewer = 2;

[[nodiscard]] constexpr std::uint8_t BackupFormatFor(bool newRecordFormat)
{
    return newRecordFormat ? kBackupFormatNewer : kBackupFormatOlder;
}

// Template slots a user of this format can have: 20 (newer), 10 (older).
[[nodiscard]] constexpr unsigned TemplateSlotCount(std::uint8_t formatByte)
{
    return formatByte == kBackupFormatNewer ? kTemplateSlots : kOlderFormatTemplateSlots;
}

// One user between unit and file. Only the record of the format in use is filled by a
// backup; a restore from an older file fills both (the newer one carried over from the
// older). templates[s] is the buffer of slot s, empty when the slot holds none.
struct USERDATAWITHFINGER {
    USERDATARECORD record;
    USERDATARECORDNEW recordNew;
    std::array<TemplateBuffer, kTemplateSlots> templates{};

    // Whether the record of this format announces at least one template: any non-zero
    // group of the template mask, or (newer format) either half of the extra mask.
    [[nodiscard]] bool AnnouncesTemplate(std::uint8_t formatByte) const;
    // Templates held in slots first..last (inclusive).
    [[nodiscard]] unsigned TemplatesInSlots(unsigned first, unsigned last) const;
};

// What a restore counted: users, and templates by slot range.
struct RestoreCounters {
    unsigned users = 0;
    unsigned templates0to9 = 0;
    unsigned templates10to14 = 0;
    unsigned templates15to19 = 0;
};

// The users, templates, log records and unit data blocks of one backup, restore or export.
// The user list is emptied at the end of each of them; the block buffers keep their
// contents until the next one overwrites them. Unit block 2 is kept in both of its forms.
struct UserDataSet {
    std::vector<USERDATAWITHFINGER> users;
    std::vector<LOGRECORD> logRecords;

    std::array<std::uint8_t, UnitBlock1.size> unitBlock1{};
    std::array<std::uint8_t, kUnitBlock2ShortSize> unitBlock2Short{};
    std::array<std::uint8_t, kUnitBlock2LongSize> unitBlock2Long{};
    std::array<std::uint8_t, UnitBlock3.size> unitBlock3{};
    std::array<std::uint8_t, UnitBlock4.size> unitBlock4{};
    std::array<std::uint8_t, UnitBlock9.size> unitBlock9{};
    std::array<std::uint8_t, UnitBlock10.size> unitBlock10{};

    RestoreCounters counters;

    void EmptyUserList() { users.clear(); }
    // Blocks 4, 9 and 10 exist on units of type 3 only; a backup of any other unit writes
    // them as zeros rather than whatever an earlier operation left.
    void ZeroUnitType3Blocks();
};

}  // namespace quorfw
