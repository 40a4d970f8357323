#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "common/LittleEndian.h"
#include "packages/PackageText.h"
#include "userdata/BackupFile.h"

namespace quorfw {

namespace {

constexpr std::size_t kBlockHeaderSize = 4;

struct BlockHeader {
    std::uint16_t tag = 0;
    std::uint16_t length = 0;
};

enum class HeaderRead {
    Whole,
    End,      // no byte left
    Partial,  // the file ends inside the header
};

// Reads a backup file front to back. Every read takes only the bytes present; a block that
// claims more is cut short, never read past the end. The last whole header read is kept for
// the trace lines, which show it also when a later read found the end of the file.
class BackupReader {
public:
    BackupReader(std::span<const std::uint8_t> file, const BackupTraceSink& trace) : file_(file), trace_(trace) {}

    BackupReadResult Read(bool unitTakesNewerFormat, UserDataSet& set)
    {
        const BackupReadResult result = ReadFile(unitTakesNewerFormat, set);
        Trace("Ende");
        return result;
    }

private:
    BackupReadResult ReadFile(bool unitTakesNewerFormat, UserDataSet& set);
    bool ReadUnitBlocks(UserDataSet& set);
    BackupReadOutcome ReadUsers(UserDataSet& set);

    bool AtEnd() const { return position_ == file_.size(); }

    std::span<const std::uint8_t> Take(std::size_t count)
    {
        const std::size_t available = std::min(count, file_.size() - position_);
        const auto bytes = file_.subspan(position_, available);
        position_ += available;
        return bytes;
    }

    HeaderRead ReadHeader()
    {
        const auto bytes = Take(kBlockHeaderSize);
        if (bytes.empty()) {
            return HeaderRead::End;
        }
        if (bytes.size() < kBlockHeaderSize) {
            return HeaderRead::Partial;
        }
        header_ = BlockHeader{ReadLe16(bytes.data()), ReadLe16(bytes.data() + 2)};
        return HeaderRead::Whole;
    }

    // A whole header with this tag; the trace line is written whatever was found.
    bool ReadHeaderTagged(std::uint16_t tag, const char* traceLabel)
    {
        const HeaderRead read = ReadHeader();
        TraceHeader(traceLabel);
        return read == HeaderRead::Whole && header_.tag == tag;
    }

    // Exactly size bytes into destination.
    template <std::size_t N>
    bool TakeExactly(std::array<std::uint8_t, N>& destination)
    {
        const auto bytes = Take(N);
        if (bytes.size() != N) {
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), destination.begin());
        return true;
    }

    void Trace(const std::string& line) const
    {
        if (trace_) {
            trace_(line);
        }
    }

    void TraceHeader(const char* label) const
    {
        char line[200];
        std::snprintf(line, sizeof line, "%s %d %d", label, header_.tag, header_.length);
        Trace(line);
    }

    void TraceUser(const USERDATARECORD& record) const
    {
        char line[200];
        std::snprintf(line, sizeof line, "%s %s %x", " User ", EightBitTextToUtf8(record.name).c_str(),
                      record.templateMask);
        Trace(line);
    }

    void TraceDroppedTemplate(std::span<const std::uint8_t> data) const
    {
        const unsigned head = data.size() >= 2 ? ReadLe16(data.data()) : 0;
        const int slot = data.size() >= 3 ? data[2] : -1;
        char line[200];
        std::snprintf(line, sizeof line, "%s %d %u %d", " Vorlage verworfen", header_.length, head, slot);
        Trace(line);
    }

    std::span<const std::uint8_t> file_;
    const BackupTraceSink& trace_;
    std::size_t position_ = 0;
    BlockHeader header_;
    std::uint8_t format_ = 0;
    bool widenBlock2_ = false;
};

BackupReadResult BackupReader::ReadFile(bool unitTakesNewerFormat, UserDataSet& set)
{
    const auto formatByte = Take(1);
    if (formatByte.empty() || (formatByte[0] != kBackupFormatOlder && formatByte[0] != kBackupFormatNewer)) {
        return {BackupReadOutcome::FormatError, 0};
    }
    format_ = formatByte[0];
    if (format_ == kBackupFormatNewer && !unitTakesNewerFormat) {
        return {BackupReadOutcome::NewerFileForOlderUnit, format_};
    }
    widenBlock2_ = format_ == kBackupFormatOlder && unitTakesNewerFormat;
    if (!ReadUnitBlocks(set)) {
        return {BackupReadOutcome::FormatError, format_};
    }
    return {ReadUsers(set), format_};
}

bool BackupReader::ReadUnitBlocks(UserDataSet& set)
{
    if (!ReadHeaderTagged(UnitBlock1.tag, " 1 Lese Satz") || header_.length != UnitBlock1.size ||
        !TakeExactly(set.unitBlock1)) {
        return false;
    }

    // Block 2 has the size of the file's format and must also say so in its header.
    if (!ReadHeaderTagged(UnitBlock2.tag, " 2 Lese Satz")) {
        return false;
    }
    if (format_ == kBackupFormatNewer) {
        if (header_.length != kUnitBlock2LongSize || !TakeExactly(set.unitBlock2Long)) {
            return false;
        }
    } else {
        if (header_.length != kUnitBlock2ShortSize || !TakeExactly(set.unitBlock2Short)) {
            return false;
        }
        if (widenBlock2_) {
            set.unitBlock2Long = WidenUnitBlock2(set.unitBlock2Short);
        }
    }

    // The lengths in these headers have never been looked at; the block sizes are fixed.
    if (!ReadHeaderTagged(UnitBlock3.tag, " 3 Lese Satz") || !TakeExactly(set.unitBlock3)) {
        return false;
    }
    if (!ReadHeaderTagged(UnitBlock4.tag, " 4 Lese Satz") || !TakeExactly(set.unitBlock4)) {
        return false;
    }
    if (format_ == kBackupFormatNewer) {
        if (!ReadHeaderTagged(UnitBlock9.tag, " 9 Lese Satz") || !TakeExactly(set.unitBlock9)) {
            return false;
        }
        if (!ReadHeaderTagged(UnitBlock10.tag, " 10 Lese Satz") || !TakeExactly(set.unitBlock10)) {
            return false;
        }
    }
    return true;
}

BackupReadOutcome BackupReader::ReadUsers(UserDataSet& set)
{
    HeaderRead read = ReadHeader();
    if (read == HeaderRead::End) {
        TraceHeader(" 5 Lese Satz");
        return BackupReadOutcome::Read;
    }
    if (read == HeaderRead::Partial || header_.tag != kBackupUserTag) {
        TraceHeader(" 5 Lese Satz");
        return BackupReadOutcome::FormatError;
    }

    const bool newer = format_ == kBackupFormatNewer;
    const std::size_t recordSize = newer ? USERDATARECORDNEW::kSize : USERDATARECORD::kSize;
    const unsigned slots = TemplateSlotCount(format_);
    for (;;) {
        TraceHeader(" 5 Lese Satz");
        const auto recordBytes = Take(recordSize);
        if (recordBytes.size() != recordSize) {
            return BackupReadOutcome::FormatError;
        }
        std::array<std::uint8_t, USERDATARECORDNEW::kSize> bytes{};
        std::copy(recordBytes.begin(), recordBytes.end(), bytes.begin());
        bytes[USERDATARECORD::kSize - 1] = 0;

        USERDATAWITHFINGER user;
        if (newer) {
            user.recordNew = *USERDATARECORDNEW::Read(bytes);
        } else {
            user.record = *USERDATARECORD::Read(bytes);
            user.recordNew = USERDATARECORDNEW::FromOlder(user.record);
        }
        TraceUser(*USERDATARECORD::Read(bytes));

        read = ReadHeader();
        TraceHeader(" 6 Lese Satz");
        if (read == HeaderRead::Partial) {
            return BackupReadOutcome::FormatError;
        }
        bool hadTemplateBlock = false;
        while (read == HeaderRead::Whole && header_.tag == kBackupTemplateTag) {
            // A template header that ends the file has no data to read: the user ends there.
            if (AtEnd()) {
                read = HeaderRead::End;
                break;
            }
            const auto data = Take(header_.length);
            if (data.size() != header_.length) {
                // The first template cut short loses only this user; a later one makes the
                // file unusable.
                if (!hadTemplateBlock) {
                    return BackupReadOutcome::Read;
                }
                return BackupReadOutcome::FormatError;
            }
            TraceHeader(" 7 Lese Satz");
            hadTemplateBlock = true;
            if (data.size() < kBackupTemplateBlockLimit) {
                // The restore cuts a template by its own length head and sends it for the
                // slot it names: both must agree with the block.
                if (data.size() >= kTemplateBufferHeadSize && ReadLe16(data.data()) == data.size() && data[2] < slots) {
                    user.templates[data[2]].assign(data.begin(), data.end());
                } else {
                    TraceDroppedTemplate(data);
                }
            }
            if (AtEnd()) {
                read = HeaderRead::End;
                break;
            }
            read = ReadHeader();
            TraceHeader(" 8 Lese Satz");
            if (read == HeaderRead::Partial) {
                return BackupReadOutcome::FormatError;
            }
        }

        if (hadTemplateBlock) {
            set.users.push_back(std::move(user));
        }
        if (read == HeaderRead::End) {
            return BackupReadOutcome::Read;
        }
        if (header_.tag == kBackupUserTag) {
            continue;
        }
        // Whatever follows a template is not read; after a bare user record it is a fault.
        return hadTemplateBlock ? BackupReadOutcome::Read : BackupReadOutcome::FormatError;
    }
}

// The whole file, or nothing when it cannot be opened as a file.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, bool& readFailed)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            readFailed = true;
            break;
        }
        if (got == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return bytes;
}

}  // namespace

BackupReadResult ReadBackupBytes(std::span<const std::uint8_t> file, bool unitTakesNewerFormat, UserDataSet& set,
                                 const BackupTraceSink& trace)
{
    return BackupReader(file, trace).Read(unitTakesNewerFormat, set);
}

BackupReadResult ReadBackupFile(const std::filesystem::path& path, bool unitTakesNewerFormat, UserDataSet& set,
                                const std::filesystem::path& traceFolder)
{
    bool readFailed = false;
    const auto bytes = ReadWholeFile(path, readFailed);
    if (!bytes) {
        return {BackupReadOutcome::CannotOpen, 0};
    }
    const BackupTraceSink trace = BackupTraceFileSink(traceFolder);
    if (readFailed) {
        // Opened but not readable to its end: nothing of it is trusted.
        trace("Ende");
        return {BackupReadOutcome::FormatError, 0};
    }
    return ReadBackupBytes(*bytes, unitTakesNewerFormat, set, trace);
}

}  // namespace quorfw
