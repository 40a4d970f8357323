#include "bus/DataBlockCommands.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/PagedRead.h"
#include "userdata/LogRecord.h"
#include "userdata/RecordFormat.h"
#include "userdata/UnitDataBlocks.h"

namespace quorfw {

namespace {

constexpr std::uint8_t kFlagsAnswerWanted = 0x81;
constexpr std::uint32_t kBlockAttempts = 4;
constexpr std::uint32_t kPageAreaAttempts = 11;
constexpr std::uint32_t kBlockPauseMs = 80;
constexpr std::uint32_t kPageReadPauseMs = 200;
// A write request carries one 0 byte after its data.
constexpr std::size_t kWriteOverhead = 28;
constexpr std::size_t kMaxWriteData = kMaxRequestLength - kWriteOverhead;

struct Timing {
    std::uint32_t timeoutMs;
    std::uint32_t delayMs;
};

void FillDataBlockRead(BusSession& session, BusMessage& request, std::uint32_t block, std::uint32_t selector)
{
    FillRequest(session.link, request, kReadRequestLength, session.link.ownAddress, session.unit.address,
                kCmdDataBlockRead, block, selector, kFlagsAnswerWanted, kKindSeedScrambled);
}

// The block data of a data-block answer: it follows the byte at payload byte 9.
std::span<const std::uint8_t> DataBlockAnswerData(const BusMessage& answer)
{
    const auto data = answer.DataBytes();
    return data.empty() ? data : data.subspan(1);
}

// Where a read selector's block lives in the session, and how large it is.
std::optional<std::span<std::uint8_t>> ReadTarget(BusSession& session, std::uint32_t selector)
{
    switch (selector) {
    case 2:
        return std::span<std::uint8_t>(session.block40);
    case 3:
        return std::span<std::uint8_t>(session.block104);
    case 4:
        return std::span<std::uint8_t>(session.block17or33)
            .first(UsesNewRecordFormat(session.unit.version) ? kUnitBlock2LongSize : kUnitBlock2ShortSize);
    case 8:
        return std::span<std::uint8_t>(&session.block1, 1);
    case 9:
        return std::span<std::uint8_t>(session.block161);
    default:
        return std::nullopt;
    }
}

std::optional<Timing> WriteTiming(std::uint32_t selector, std::size_t size)
{
    switch (selector) {
    case 3:
        return size == UnitBlock3.size ? std::optional<Timing>({50, 50}) : std::nullopt;
    case 4:
        return size == UnitBlock1.size ? std::optional<Timing>({500, 50}) : std::nullopt;
    case 5:
        return size == kUnitBlock2ShortSize || size == kUnitBlock2LongSize ? std::optional<Timing>({50, 50})
                                                                             : std::nullopt;
    case 8:
        return size == UnitBlock4.size ? std::optional<Timing>({50, 50}) : std::nullopt;
    case 9:
        return size == UnitBlock9.size ? std::optional<Timing>({500, 50}) : std::nullopt;
    default:
        return std::nullopt;
    }
}

// A 0x20 write: the first answer decides; only unanswered attempts are repeated.
bool SendWrite(BusSession& session, std::uint32_t selector, std::uint32_t operand2, std::span<const std::uint8_t> data,
               Timing timing, bool pauseAfterEveryAttempt)
{
    if (data.size() > kMaxWriteData || session.unit.present == 0) {
        return false;
    }
    for (std::uint32_t attempt = 0; attempt < kBlockAttempts; ++attempt) {
        BusMessage request;
        FillRequest(session.link, request, static_cast<std::uint16_t>(kWriteOverhead + data.size()),
                    session.link.ownAddress, session.unit.address, kCmdDataBlockWrite, selector, operand2,
                    kFlagsAnswerWanted, kKindSeedScrambled);
        std::copy(data.begin(), data.end(), request.Data());
        request.Data()[data.size()] = 0;
        const BusMessage* answer = session.TransactTimed(request, timing.timeoutMs, timing.delayMs);
        if (answer != nullptr) {
            const bool accepted = answer->Command() == kAnsDone;
            if (pauseAfterEveryAttempt) {
                session.clock().SleepMs(kBlockPauseMs);
            }
            return accepted;
        }
        session.clock().SleepMs(kBlockPauseMs);
    }
    return false;
}

template <typename Record>
bool WriteUserRecords(BusSession& session, std::span<const Record> records)
{
    std::vector<std::uint8_t> data;
    data.reserve(records.size() * Record::kSize);
    for (const Record& record : records) {
        const auto bytes = record.Bytes();
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    return SendWrite(session, kUserWriteSelector, static_cast<std::uint32_t>(records.size()), data, {50, 800}, false);
}

template <typename Record>
bool TakeRecords(std::span<const std::uint8_t> data, std::vector<Record>& into)
{
    // Whole records only: a torn record at the end is not a record.
    for (std::size_t offset = 0; offset + Record::kSize <= data.size(); offset += Record::kSize) {
        into.push_back(*Record::Read(data.subspan(offset, Record::kSize)));
    }
    return true;
}

}  // namespace

bool ReadUserList(BusSession& session)
{
    const bool newFormat = UsesNewRecordFormat(session.unit.version);
    PagedRead read;
    read.fill = [&session](BusMessage& request, std::uint32_t block) {
        FillDataBlockRead(session, request, block, kUserListReadSelector);
    };
    read.blockAnswer = kAnsDataBlock;
    read.emptyLength = kReadRequestLength;
    read.emptyCountsAsBlock = true;
    read.take = [&session, newFormat](std::span<const std::uint8_t> data) {
        return newFormat ? TakeRecords(data, session.newUserRecords) : TakeRecords(data, session.userRecords);
    };
    return RunPagedRead(session, read);
}

bool ReadLogList(BusSession& session)
{
    PagedRead read;
    read.fill = [&session](BusMessage& request, std::uint32_t block) {
        FillDataBlockRead(session, request, block, kLogListReadSelector);
    };
    read.blockAnswer = kAnsDataBlock;
    read.emptyLength = kReadRequestLength;
    read.take = [&session](std::span<const std::uint8_t> data) { return TakeRecords(data, session.logRecords); };
    return RunPagedRead(session, read);
}

bool ReadDataBlock(BusSession& session, std::uint32_t selector)
{
    const auto target = ReadTarget(session, selector);
    if (!target) {
        return false;
    }
    // The 17- or 33-byte block comes back under varying codes; only a refusal says no.
    const bool anyCode = selector == UnitBlock2.readSelector;
    for (std::uint32_t attempt = 0; attempt < kBlockAttempts; ++attempt) {
        BusMessage request;
        FillDataBlockRead(session, request, 0, selector);
        const BusMessage* answer = session.TransactTimed(request, 0, 50);
        if (answer != nullptr && answer->Command() == kAnsRefused) {
            return false;
        }
        bool taken = false;
        if (answer != nullptr && (anyCode || answer->Command() == kAnsDataBlock)) {
            const auto data = DataBlockAnswerData(*answer);
            if (data.size() >= target->size()) {
                std::copy_n(data.begin(), target->size(), target->begin());
                taken = true;
            }
        }
        session.clock().SleepMs(kBlockPauseMs);
        if (taken) {
            return true;
        }
    }
    return false;
}

bool ReadPageArea(BusSession& session)
{
    std::uint32_t pages = 0;
    for (std::uint32_t attempt = 0; attempt < kPageAreaAttempts; ++attempt) {
        BusMessage request;
        FillDataBlockRead(session, request, 0, UnitBlock10.readSelector);
        const BusMessage* answer = session.TransactTimed(request, 500, 50);
        if (answer != nullptr && answer->Command() == kAnsRefused) {
            return false;
        }
        std::uint32_t pageLength = 0;
        if (answer != nullptr) {
            pageLength = answer->Operand2();
            const std::uint64_t start = std::uint64_t{answer->Operand1()} * kPageSize;
            const auto data = DataBlockAnswerData(*answer);
            // A page outside the area, or longer than the answer, is not taken.
            if (answer->Command() == kAnsDataBlock && pageLength > 0 && start + pageLength <= kPageAreaSize &&
                pageLength <= data.size()) {
                std::copy_n(data.begin(), pageLength, session.pageArea.begin() + static_cast<std::ptrdiff_t>(start));
                ++pages;
            }
        }
        session.clock().SleepMs(kPageReadPauseMs);
        if (answer == nullptr || pageLength == 0) {
            break;
        }
    }
    return pages > 0;
}

bool WriteDataBlock(BusSession& session, std::uint32_t selector, std::span<const std::uint8_t> block)
{
    const auto timing = WriteTiming(selector, block.size());
    if (!timing) {
        return false;
    }
    return SendWrite(session, selector, 0, block, *timing, false);
}

bool WriteUsers(BusSession& session, std::span<const USERDATARECORD> records)
{
    return WriteUserRecords(session, records);
}

bool WriteUsers(BusSession& session, std::span<const USERDATARECORDNEW> records)
{
    return WriteUserRecords(session, records);
}

bool WritePageArea(BusSession& session, std::span<const std::uint8_t, 1188> area)
{
    for (std::uint32_t page = 0; page * kPageSize < area.size(); ++page) {
        const std::size_t start = page * kPageSize;
        const auto bytes = std::span<const std::uint8_t>(area).subspan(start, std::min(kPageSize, area.size() - start));
        if (!SendWrite(session, UnitBlock10.writeSelector, page, bytes, {500, 50}, true)) {
            return false;
        }
    }
    return true;
}

}  // namespace quorfw
