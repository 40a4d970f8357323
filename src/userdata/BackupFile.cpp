#include "userdata/BackupFile.h"

#include <string>

#include "common/LittleEndian.h"
#include "userdata/AtomicFileWrite.h"

namespace quorfw {

namespace {

void AppendBlock(std::vector<std::uint8_t>& out, std::uint16_t tag, std::span<const std::uint8_t> data)
{
    std::uint8_t header[4];
    WriteLe16(header, tag);
    WriteLe16(header + 2, static_cast<std::uint16_t>(data.size()));
    out.insert(out.end(), header, header + 4);
    out.insert(out.end(), data.begin(), data.end());
}

// The file, or the reason it cannot be written in failure.
std::vector<std::uint8_t> BuildBackupFile(const UserDataSet& set, std::uint8_t formatByte, std::string& failure)
{
    if (formatByte != kBackupFormatOlder && formatByte != kBackupFormatNewer) {
        failure = "format byte " + std::to_string(formatByte) + " is neither 1 nor 2";
        return {};
    }
    const bool newer = formatByte == kBackupFormatNewer;
    std::vector<std::uint8_t> out{formatByte};
    AppendBlock(out, UnitBlock1.tag, set.unitBlock1);
    if (newer) {
        AppendBlock(out, UnitBlock2.tag, set.unitBlock2Long);
    } else {
        AppendBlock(out, UnitBlock2.tag, set.unitBlock2Short);
    }
    AppendBlock(out, UnitBlock3.tag, set.unitBlock3);
    AppendBlock(out, UnitBlock4.tag, set.unitBlock4);
    if (newer) {
        AppendBlock(out, UnitBlock9.tag, set.unitBlock9);
        AppendBlock(out, UnitBlock10.tag, set.unitBlock10);
    }

    const unsigned slots = TemplateSlotCount(formatByte);
    for (const USERDATAWITHFINGER& user : set.users) {
        if (!user.AnnouncesTemplate(formatByte)) {
            continue;
        }
        if (newer) {
            AppendBlock(out, kBackupUserTag, user.recordNew.Bytes());
        } else {
            AppendBlock(out, kBackupUserTag, user.record.Bytes());
        }
        for (unsigned slot = 0; slot < slots; ++slot) {
            const TemplateBuffer& buffer = user.templates[slot];
            if (buffer.empty()) {
                continue;
            }
            if (!IsWellFormedTemplateBuffer(buffer, slot)) {
                failure = "user " + std::to_string(newer ? user.recordNew.userNumber : user.record.userNumber) +
                          ": the template of slot " + std::to_string(slot) + " is malformed";
                return {};
            }
            AppendBlock(out, kBackupTemplateTag, buffer);
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> BackupFileBytes(const UserDataSet& set, std::uint8_t formatByte)
{
    std::string failure;
    return BuildBackupFile(set, formatByte, failure);
}

FileWriteResult WriteBackupFile(const std::filesystem::path& path, const UserDataSet& set, std::uint8_t formatByte)
{
    std::string failure;
    const std::vector<std::uint8_t> bytes = BuildBackupFile(set, formatByte, failure);
    if (bytes.empty()) {
        return FileWriteResult{false, std::move(failure)};
    }
    return WriteFileAtomically(path, bytes);
}

}  // namespace quorfw
