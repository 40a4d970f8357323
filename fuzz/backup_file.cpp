// The backup file reader on arbitrary bytes, for an older and a newer unit. Whatever it
// keeps must be well formed, and writing it again must read back as the same data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "userdata/BackupComparison.h"
#include "userdata/BackupFile.h"

namespace {

void CheckKept(const quorfw::UserDataSet& set, std::uint8_t formatByte)
{
    for (const quorfw::USERDATAWITHFINGER& user : set.users) {
        for (unsigned slot = 0; slot < quorfw::kTemplateSlots; ++slot) {
            const quorfw::TemplateBuffer& buffer = user.templates[slot];
            if (buffer.empty()) {
                continue;
            }
            if (slot >= quorfw::TemplateSlotCount(formatByte) || !quorfw::IsWellFormedTemplateBuffer(buffer, slot) ||
                buffer.size() >= quorfw::kBackupTemplateBlockLimit) {
                __builtin_trap();
            }
        }
    }
}

void ReadFor(std::span<const std::uint8_t> file, bool unitTakesNewerFormat)
{
    std::size_t traceBytes = 0;
    const quorfw::BackupTraceSink trace = [&](std::string_view line) { traceBytes += line.size(); };
    quorfw::UserDataSet set;
    const quorfw::BackupReadResult result = quorfw::ReadBackupBytes(file, unitTakesNewerFormat, set, trace);
    if (traceBytes == 0) {
        __builtin_trap();  // every read ends with its "Ende" line
    }
    if (result.outcome == quorfw::BackupReadOutcome::FormatError && result.formatByte == 0) {
        return;
    }
    CheckKept(set, result.formatByte);
    if (result.outcome != quorfw::BackupReadOutcome::Read) {
        return;
    }
    const std::vector<std::uint8_t> again = quorfw::BackupFileBytes(set, result.formatByte);
    quorfw::UserDataSet readBack;
    const bool newer = result.formatByte == quorfw::kBackupFormatNewer;
    if (again.empty() || quorfw::ReadBackupBytes(again, newer, readBack, {}).outcome != quorfw::BackupReadOutcome::Read ||
        quorfw::BackupDifference(set, readBack, result.formatByte).has_value()) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    ReadFor(file, false);
    ReadFor(file, true);
    return 0;
}
