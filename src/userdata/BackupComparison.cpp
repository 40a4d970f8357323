#include "userdata/BackupComparison.h"

#include <algorithm>
#include <array>

#include "userdata/BackupFile.h"

namespace quorfw {

namespace {

// The record of the format as the file carries it back: the last name byte always 0.
std::array<std::uint8_t, USERDATARECORDNEW::kSize> RecordAsRead(const USERDATAWITHFINGER& user, std::uint8_t formatByte)
{
    std::array<std::uint8_t, USERDATARECORDNEW::kSize> bytes{};
    if (formatByte == kBackupFormatNewer) {
        bytes = user.recordNew.Bytes();
    } else {
        const auto older = user.record.Bytes();
        std::copy(older.begin(), older.end(), bytes.begin());
    }
    bytes[USERDATARECORD::kSize - 1] = 0;
    return bytes;
}

std::uint8_t UserNumber(const USERDATAWITHFINGER& user, std::uint8_t formatByte)
{
    return formatByte == kBackupFormatNewer ? user.recordNew.userNumber : user.record.userNumber;
}

// Users the reader keeps: a record comes back only with at least one template block
// after it, and a template only when its block is shorter than the reader's limit.
bool ComesBack(const USERDATAWITHFINGER& user, std::uint8_t formatByte)
{
    if (!user.AnnouncesTemplate(formatByte)) {
        return false;
    }
    const unsigned slots = TemplateSlotCount(formatByte);
    return std::any_of(user.templates.begin(), user.templates.begin() + slots,
                       [](const TemplateBuffer& buffer) { return !buffer.empty(); });
}

TemplateBuffer TemplateAsRead(const TemplateBuffer& buffer)
{
    return buffer.size() < kBackupTemplateBlockLimit ? buffer : TemplateBuffer{};
}

std::string UserName(const USERDATAWITHFINGER& user, std::uint8_t formatByte)
{
    return "user " + std::to_string(UserNumber(user, formatByte));
}

}  // namespace

std::optional<std::string> BackupDifference(const UserDataSet& fromUnit, const UserDataSet& readBack,
                                            std::uint8_t formatByte)
{
    if (formatByte != kBackupFormatOlder && formatByte != kBackupFormatNewer) {
        return "format byte " + std::to_string(formatByte) + " is neither 1 nor 2";
    }
    const bool newer = formatByte == kBackupFormatNewer;
    if (fromUnit.unitBlock1 != readBack.unitBlock1) {
        return "unit block 1 differs";
    }
    if (newer ? fromUnit.unitBlock2Long != readBack.unitBlock2Long
              : fromUnit.unitBlock2Short != readBack.unitBlock2Short) {
        return "unit block 2 differs";
    }
    if (fromUnit.unitBlock3 != readBack.unitBlock3) {
        return "unit block 3 differs";
    }
    if (fromUnit.unitBlock4 != readBack.unitBlock4) {
        return "unit block 4 differs";
    }
    if (newer && fromUnit.unitBlock9 != readBack.unitBlock9) {
        return "unit block 9 differs";
    }
    if (newer && fromUnit.unitBlock10 != readBack.unitBlock10) {
        return "unit block 10 differs";
    }

    const unsigned slots = TemplateSlotCount(formatByte);
    std::size_t next = 0;
    for (const USERDATAWITHFINGER& user : fromUnit.users) {
        if (!ComesBack(user, formatByte)) {
            continue;
        }
        if (next == readBack.users.size()) {
            return UserName(user, formatByte) + " is missing from the file";
        }
        const USERDATAWITHFINGER& back = readBack.users[next++];
        if (RecordAsRead(user, formatByte) != RecordAsRead(back, formatByte)) {
            return UserName(user, formatByte) + ": the file holds another record in its place";
        }
        for (unsigned slot = 0; slot < slots; ++slot) {
            const TemplateBuffer expected = TemplateAsRead(user.templates[slot]);
            const TemplateBuffer& found = back.templates[slot];
            if (expected == found) {
                continue;
            }
            const std::string where = UserName(user, formatByte) + ": template slot " + std::to_string(slot);
            if (found.empty()) {
                return where + " is missing";
            }
            return where + (expected.empty() ? " is not from the unit" : " differs");
        }
    }
    if (next != readBack.users.size()) {
        return std::string("the file holds more users than the unit delivered");
    }
    return std::nullopt;
}

}  // namespace quorfw
