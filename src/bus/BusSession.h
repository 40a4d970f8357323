#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bus/BusMessage.h"
#include "bus/LinkState.h"
#include "bus/ModuleInfo.h"
#include "bus/TransactionFailure.h"
#include "bus/Transport.h"
#include "common/Clock.h"
#include "userdata/LogRecord.h"
#include "userdata/UserDataRecord.h"
#include "userdata/UserDataRecordNew.h"

namespace quorfw {

// The protocol endpoint of one bus operation: the link (mode, own address, sequence
// counter, key, programs, state word), what is known of the bus (the unit and four module
// slots), the buffers that command operations fill, and request/answer transactions with
// retries, busy handling, re-requests and key announcements. Refers to the transport and
// the clock, owns neither. One worker thread runs it; only `state` (link.state) and
// `progress` are touched by another thread.
class BusSession {
public:
    // Fixed waits of the transactions, in milliseconds.
    static constexpr std::uint32_t kTransactWaitMs = 550;
    static constexpr std::uint32_t kAttempts = 3;
    static constexpr std::uint32_t kBusyPauseMs = 200;
    static constexpr std::uint32_t kReRequestPauseMs = 600;
    static constexpr std::uint32_t kTimedExtraWaitMs = 50;
    static constexpr std::uint32_t kTimedReRequestExtraMs = 100;
    static constexpr std::uint32_t kAnnounceSlotDeadlineMs = 3000;
    static constexpr std::uint32_t kAnnouncePauseMs = 50;
    static constexpr std::uint32_t kAnnounceRetryPauseMs = 400;
    static constexpr std::uint32_t kAnnounceTimeoutMs = 100;
    static constexpr std::uint32_t kAnnounceDelayMs = 50;
    static constexpr std::uint32_t kAwaitFrameMs = 2000;
    static constexpr std::uint32_t kAwaitPollMs = 20;

    // Targets of AnnounceLinkKey besides a module slot 0-3.
    static constexpr std::uint8_t kAnnounceAll = 0xFE;
    static constexpr std::uint8_t kAnnounceUnitOnly = 0xFF;

    static constexpr std::size_t kModuleSlots = 4;
    static constexpr std::size_t kUnitInformationBytes = 94;
    static constexpr std::size_t kUnitExtraBytes = 64;
    static constexpr std::size_t kTemplateBufferBytes = 2000;
    static constexpr std::size_t kPageAreaBytes = 1188;

    // The random source of seeds and keys from the system's entropy.
    BusSession(Transport& transport, Clock& clock);
    // A fixed random seed, for reproducible runs.
    BusSession(Transport& transport, Clock& clock, std::uint32_t randomSeed);
    BusSession(const BusSession&) = delete;
    BusSession& operator=(const BusSession&) = delete;

    // --- Frames (the codec over this session's link and transport). ---

    // kSendOk, kSendWriteFailed, kSendSessionClosed when not open (nothing written), or
    // kSendUnencodable when the message cannot be framed (nothing written). Changes the
    // message in place; a resend must fill it again.
    [[nodiscard]] std::uint32_t SendFrame(BusMessage& message);
    // One accepted frame within the time-out; false on a closed session.
    [[nodiscard]] bool ReceiveFrame(BusMessage& message, std::uint32_t timeoutMs);

    // --- Transactions. Success overwrites the request with the whole answer and returns
    // it; null means failure, and LastFailure() says why. ---

    // Three waits of 550 ms; a refused answer is re-requested like any header-only answer.
    [[nodiscard]] BusMessage* Transact(BusMessage& request);
    // Three attempts of timeoutMs + 50 ms after a pause of delayMs; a refused answer ends
    // it at once; an attempt that leaves the link out of sync announces the key again.
    [[nodiscard]] BusMessage* TransactTimed(BusMessage& request, std::uint32_t timeoutMs, std::uint32_t delayMs);
    [[nodiscard]] const TransactionFailure& LastFailure() const { return lastFailure_; }

    // Builds a new key and announces it: to module slot `target` and every higher slot,
    // to the unit and all modules (kAnnounceAll), or to the unit only (kAnnounceUnitOnly,
    // not awaited). False when a module gave no acceptable answer within 3000 ms.
    [[nodiscard]] bool AnnounceLinkKey(std::uint8_t target);

    // Waits up to 2000 ms for the next accepted frame of any kind and discards it, keeping
    // its effects on the link. True when a frame ended the wait (callers may ignore it).
    bool AwaitFrame();

    [[nodiscard]] bool IsOpen() const { return link.state.load() == kStateOpen; }
    // What the window does to stop the worker.
    void Close() { link.state.store(kStateClosed); }

    [[nodiscard]] Transport& transport() { return transport_; }
    [[nodiscard]] Clock& clock() { return clock_; }

    // --- Fields. ---

    // Link mode, in-sync flag, sequence counter, key, programs, `state`, own and
    // announcement addresses, random source.
    LinkState link;
    // Settings block merged into a module's configuration by module programming; not owned.
    const std::vector<std::uint8_t>* settingsTemplate = nullptr;
    // Article numbers the device firmware transfer appends to its image; not owned.
    const std::vector<std::string>* deviceValues = nullptr;
    // The unit; only the identity fields are used.
    ModuleInfo unit;
    std::array<std::uint8_t, kUnitInformationBytes> unitInformation{};
    std::array<std::uint8_t, kUnitExtraBytes> unitExtraBlock{};
    std::array<ModuleInfo, kModuleSlots> modules{};
    // User-list reads: older units deliver 16-byte records, newer ones 18-byte records.
    std::vector<USERDATARECORD> userRecords;
    std::vector<USERDATARECORDNEW> newUserRecords;
    // Unit data blocks by size (read/write selectors 3/4, 4/5, 2/3, 8/8, 9/9).
    std::array<std::uint8_t, 104> block104{};
    // 17 bytes on units below version 2017503, 33 on newer ones.
    std::array<std::uint8_t, 33> block17or33{};
    std::array<std::uint8_t, 40> block40{};
    std::vector<LOGRECORD> logRecords;
    std::array<std::uint8_t, kTemplateBufferBytes> templateBuffer{};
    std::uint16_t templateLength = 0;
    std::uint8_t block1 = 0;
    std::array<std::uint8_t, 161> block161{};
    std::array<std::uint8_t, kPageAreaBytes> pageArea{};
    std::int32_t moduleCount = 0;
    // Percentage of the running firmware transfer; the window reads it.
    std::atomic<std::uint32_t> progress{0};
    // From the last poll acknowledgement.
    std::uint32_t pollLimit = 0;
    // Duration of the last programming, in milliseconds.
    std::uint32_t transferDuration = 0;
    // The last key announcement built.
    std::optional<BusMessage> announcement;

private:
    enum class Heard { Nothing, Full, Busy, Refused, OtherHeaderOnly };

    // One answer wait: whether the addressed station answered, and how.
    [[nodiscard]] Heard AwaitAnswer(BusMessage& answer, std::uint32_t waitMs, std::uint32_t destination,
                                    std::uint32_t source);
    // The continue request after a busy answer, with the flags and kind the request went out with.
    void SendContinue(BusMessage& request, std::uint32_t source, std::uint32_t destination);
    // The bare header that asks the station to answer again.
    void SendReRequest(BusMessage& request, std::uint32_t source, std::uint32_t destination);
    [[nodiscard]] BusMessage* Fail(TransactionFailure::Kind kind, std::uint8_t lastFlags, std::uint32_t attempts);
    [[nodiscard]] static TransactionFailure::Kind KindOfSendStatus(std::uint32_t status);
    [[nodiscard]] bool AnnounceToSlot(const BusMessage& pristine, std::uint32_t address);

    Transport& transport_;
    Clock& clock_;
    TransactionFailure lastFailure_;
    // A key announcement pass is running: transactions inside it must not start another.
    bool announcing_ = false;
};

}  // namespace quorfw
