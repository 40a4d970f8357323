#include "bus/StreamTransport.h"

#include <array>

#include "common/LittleEndian.h"

namespace quorfw {

namespace {

// STX and the two bytes of the length word: what must be in hand before the total is known.
constexpr std::size_t kFrameHeadBytes = 3;

}  // namespace

bool StreamTransport::Open(const std::string& id, std::uint32_t baud)
{
    if (open_ || id.empty()) {
        return false;
    }
    id_ = id;
    baud_ = baud;
    open_ = OpenDevice(id_, baud_);
    return open_;
}

void StreamTransport::Close()
{
    if (open_) {
        CloseDevice();
    }
    open_ = false;
}

bool StreamTransport::Reopen()
{
    if (open_) {
        return true;
    }
    // Never opened: there is no converter to go back to, and an empty id must not
    // let a device layer pick "the first one it finds".
    if (id_.empty()) {
        return false;
    }
    open_ = OpenDevice(id_, baud_);
    return open_;
}

bool StreamTransport::RecoverAfterReadError()
{
    Close();
    clock_.SleepMs(kReopenPauseMs);
    if (!Reopen()) {
        return false;
    }
    clock_.SleepMs(kPollPauseMs);
    return true;
}

std::size_t StreamTransport::FrameTotalFromLengthWord(std::uint16_t lengthWord)
{
    // Bits 2-12 carry the ETX offset minus one; the frame is that offset plus one byte long.
    return static_cast<std::size_t>((lengthWord >> 2) & 0x7FF) + 2;
}

std::optional<std::size_t> StreamTransport::ReadWithLineTimeout(std::span<std::uint8_t> into)
{
    const std::uint64_t startMs = clock_.NowMs();
    std::size_t got = 0;
    bool queued = true;  // the caller has just seen bytes waiting
    for (;;) {
        // A device is only read when it has bytes: a tty reads 0 both when empty and when hung up.
        if (queued) {
            const std::optional<std::size_t> n = ReadSome(into.subspan(got));
            if (!n || *n > into.size() - got) {
                return std::nullopt;
            }
            got += *n;
        }
        if (got == into.size() || clock_.NowMs() - startMs >= kLineReadTimeoutMs) {
            return got;
        }
        clock_.SleepMs(kPollPauseMs);
        const std::optional<std::size_t> waiting = QueuedBytes();
        if (!waiting) {
            return std::nullopt;
        }
        queued = *waiting > 0;
    }
}

bool StreamTransport::Write(std::span<const std::uint8_t> bytes)
{
    if (!open_ && !Reopen()) {
        return false;
    }
    // A late answer to an earlier request must not be taken for the answer to this one.
    PurgeBoth();
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::optional<std::size_t> taken = WriteSome(bytes.subspan(written));
        if (!taken || *taken > bytes.size() - written) {
            Close();
            return false;
        }
        if (*taken == 0) {
            return false;
        }
        written += *taken;
        if (written < bytes.size()) {
            clock_.SleepMs(kPollPauseMs);
        }
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> StreamTransport::ReadFrame(std::uint32_t timeoutMs)
{
    if (!open_ && !Reopen()) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kMaxFrameBytes> buffer{};
    std::size_t collected = 0;
    std::size_t wanted = 1;
    const std::uint64_t startMs = clock_.NowMs();

    // A device error closes, pauses and reopens; the time-out keeps running from the start.
    const auto recover = [&]() {
        collected = 0;  // bytes from before a reopen cannot be continued by bytes after it
        wanted = 1;
        return RecoverAfterReadError();
    };

    while (clock_.NowMs() - startMs < timeoutMs) {
        const std::optional<std::size_t> queued = QueuedBytes();
        if (!queued) {
            if (!recover()) {
                return std::nullopt;
            }
            continue;
        }
        if (*queued == 0) {
            clock_.SleepMs(kPollPauseMs);
            continue;
        }
        // Like a converter read, this waits past the caller's time-out for the rest of a
        // frame that has begun: an answer whose STX came in time is not cut off.
        const std::optional<std::size_t> got =
            ReadWithLineTimeout(std::span<std::uint8_t>(buffer.data() + collected, wanted));
        if (!got) {
            if (!recover()) {
                return std::nullopt;
            }
            continue;
        }
        if (*got == 0) {
            // Queued but not delivered: pause rather than spin, so virtual time moves too.
            clock_.SleepMs(kPollPauseMs);
            continue;
        }
        if (buffer[0] != kStx) {
            continue;  // still hunting: the byte is dropped
        }
        collected += *got;
        if (collected < kFrameHeadBytes) {
            wanted = kFrameHeadBytes - collected;
            continue;
        }
        const std::size_t total = FrameTotalFromLengthWord(ReadLe16(buffer.data() + 1));
        if (total < kMinFrameBytes || total > kMaxFrameBytes) {
            return std::nullopt;
        }
        if (collected < total) {
            wanted = total - collected;
            continue;
        }
        return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(total));
    }
    return std::nullopt;
}

}  // namespace quorfw
