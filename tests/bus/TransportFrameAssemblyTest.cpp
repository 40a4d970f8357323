#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bus/StreamTransport.h"
#include "common/Clock.h"
#include "tests/bus/TransportFrameTestUtil.h"

namespace quorfw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LengthWordForEtxAt;
using test::MakeFrame;

// A converter in memory: bytes arrive at scripted virtual times, device errors and
// short writes happen on cue, and every primitive call is logged with its time.
class FakeDevice final : public StreamTransport {
public:
    explicit FakeDevice(VirtualClock& clock) : StreamTransport(clock), clock_(clock) {}
    ~FakeDevice() override { Close(); }

    std::vector<std::string> Enumerate() override { return {"fake"}; }

    void ArriveAt(std::uint64_t ms, const Bytes& bytes)
    {
        Bytes& slot = arrivals_[ms];
        slot.insert(slot.end(), bytes.begin(), bytes.end());
    }

    // Device state and script.
    bool opensFail = false;
    std::optional<std::uint64_t> queueErrorAtMs;  // first queue check at or after it fails
    std::deque<std::optional<std::size_t>> writeScript;  // per write: bytes taken (cap) or error

    // What happened.
    std::vector<std::string> log;  // "open tty@baud", "close", "purge", "write n"
    std::vector<std::uint64_t> openTimesMs;
    std::vector<std::size_t> readSizes;
    Bytes written;

protected:
    bool OpenDevice(const std::string& id, std::uint32_t baud) override
    {
        log.push_back("open " + id + "@" + std::to_string(baud));
        openTimesMs.push_back(clock_.NowMs());
        return !opensFail;
    }
    void CloseDevice() override
    {
        log.push_back("close");
        pending_.clear();  // what the converter held is gone with it
    }
    std::optional<std::size_t> QueuedBytes() override
    {
        if (queueErrorAtMs && clock_.NowMs() >= *queueErrorAtMs) {
            queueErrorAtMs.reset();
            return std::nullopt;
        }
        TakeArrivals();
        return pending_.size();
    }
    std::optional<std::size_t> ReadSome(std::span<std::uint8_t> into) override
    {
        readSizes.push_back(into.size());
        const std::size_t count = std::min(into.size(), pending_.size());
        std::copy_n(pending_.begin(), count, into.begin());
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }
    std::optional<std::size_t> WriteSome(std::span<const std::uint8_t> bytes) override
    {
        std::optional<std::size_t> cap = bytes.size();
        if (!writeScript.empty()) {
            cap = writeScript.front();
            writeScript.pop_front();
        }
        if (!cap) {
            log.push_back("write error");
            return std::nullopt;
        }
        const std::size_t taken = std::min(*cap, bytes.size());
        written.insert(written.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        log.push_back("write " + std::to_string(taken));
        return taken;
    }
    void PurgeBoth() override
    {
        log.push_back("purge");
        TakeArrivals();
        pending_.clear();
    }

private:
    void TakeArrivals()
    {
        while (!arrivals_.empty() && arrivals_.begin()->first <= clock_.NowMs()) {
            const Bytes& bytes = arrivals_.begin()->second;
            pending_.insert(pending_.end(), bytes.begin(), bytes.end());
            arrivals_.erase(arrivals_.begin());
        }
    }

    VirtualClock& clock_;
    std::map<std::uint64_t, Bytes> arrivals_;
    std::deque<std::uint8_t> pending_;
};

class StreamTransportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device.Open("fake", 115200)); }

    VirtualClock clock;
    FakeDevice device{clock};
};

TEST_F(StreamTransportTest, SkipsGarbageAndReadsWithTheFewestCalls)
{
    const Bytes frame = MakeFrame(16);
    Bytes stream = {0x55, 0x03, 0x3F};
    stream.insert(stream.end(), frame.begin(), frame.end());
    device.ArriveAt(0, stream);

    EXPECT_EQ(device.ReadFrame(1000), frame);
    // One byte at a time while hunting (three garbage bytes, then STX), two for the
    // length word, then exactly the remainder.
    EXPECT_EQ(device.readSizes, (std::vector<std::size_t>{1, 1, 1, 1, 2, 13}));
    EXPECT_EQ(clock.NowMs(), 0u);
}

TEST_F(StreamTransportTest, AssemblesAFrameArrivingInPieces)
{
    const Bytes frame = MakeFrame(40);
    device.ArriveAt(3, Bytes(frame.begin(), frame.begin() + 2));    // STX and half the length word
    device.ArriveAt(9, Bytes(frame.begin() + 2, frame.begin() + 20));
    device.ArriveAt(25, Bytes(frame.begin() + 20, frame.end()));

    EXPECT_EQ(device.ReadFrame(1000), frame);
    EXPECT_EQ(clock.NowMs(), 25u);
}

// A converter read waits for everything it was asked for, up to the line's read time-out
// of 1500 ms: a frame whose first bytes came within the caller's time-out is finished
// after it, and a frame that stalls is given up when the line time-out ends.
TEST_F(StreamTransportTest, FrameBegunInTimeIsFinishedWithinTheLineReadTimeout)
{
    const Bytes frame = MakeFrame(40);
    device.ArriveAt(40, Bytes(frame.begin(), frame.begin() + 20));
    device.ArriveAt(90, Bytes(frame.begin() + 20, frame.end()));
    EXPECT_EQ(device.ReadFrame(50), frame);
    EXPECT_EQ(clock.NowMs(), 90u);

    const std::uint64_t startMs = clock.NowMs();
    device.ArriveAt(startMs + 40, Bytes(frame.begin(), frame.begin() + 20));
    device.ArriveAt(startMs + 1640, Bytes(frame.begin() + 20, frame.end()));
    EXPECT_FALSE(device.ReadFrame(50).has_value());
    EXPECT_EQ(clock.NowMs() - startMs, 1540u) << "the rest is waited for 1500 ms, then the read ends";

    // Nothing queued at all: the caller's time-out alone decides.
    const std::uint64_t quietMs = clock.NowMs();
    device.ArriveAt(quietMs + 60, frame);
    EXPECT_FALSE(device.ReadFrame(50).has_value());
    EXPECT_EQ(clock.NowMs() - quietMs, 50u);
}

TEST_F(StreamTransportTest, LeavesTheFollowingFrameQueued)
{
    const Bytes first = MakeFrame(16, 0x11);
    const Bytes second = MakeFrame(24, 0x22);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    device.ArriveAt(0, both);

    EXPECT_EQ(device.ReadFrame(100), first);
    EXPECT_EQ(device.ReadFrame(100), second);
}

TEST_F(StreamTransportTest, LengthWordBoundaries)
{
    struct Case {
        std::size_t etxOffset;  // what the length word announces
        bool accepted;
    };
    // Total = ETX offset + 1: 5 and 1189 are refused, 6 and 1188 taken; the widest word
    // the eleven bits allow (total 2049) is refused too.
    const Case cases[] = {{4, false}, {5, true}, {1187, true}, {1188, false}, {2048, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("ETX offset " + std::to_string(c.etxOffset));
        VirtualClock caseClock;
        FakeDevice fresh(caseClock);
        ASSERT_TRUE(fresh.Open("fake", 115200));
        const std::uint16_t word = LengthWordForEtxAt(c.etxOffset);
        Bytes stream = {0x02, static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8)};
        // Enough bytes for the largest accepted frame, none of them STX.
        stream.resize(3 + 1200, 0x85);
        fresh.ArriveAt(0, stream);

        const auto frame = fresh.ReadFrame(5000);
        if (c.accepted) {
            ASSERT_TRUE(frame.has_value());
            EXPECT_EQ(frame->size(), c.etxOffset + 1);
            EXPECT_TRUE(std::equal(frame->begin(), frame->end(), stream.begin()));
        } else {
            EXPECT_FALSE(frame.has_value());
        }
        EXPECT_EQ(caseClock.NowMs(), 0u) << "no waiting either way";
    }
}

TEST_F(StreamTransportTest, SilentDeviceTimesOutInBoundedVirtualTime)
{
    EXPECT_FALSE(device.ReadFrame(250).has_value());
    EXPECT_GE(clock.NowMs(), 250u);
    EXPECT_LE(clock.NowMs(), 251u);
    EXPECT_FALSE(device.ReadFrame(0).has_value());
}

TEST_F(StreamTransportTest, ReadErrorClosesPausesAndReopensWithinTheSameTimeout)
{
    const Bytes frame = MakeFrame(16);
    device.queueErrorAtMs = 5;
    device.ArriveAt(150, frame);

    EXPECT_EQ(device.ReadFrame(1000), frame);
    EXPECT_EQ(device.log, (std::vector<std::string>{"open fake@115200", "close", "open fake@115200"}));
    EXPECT_EQ(device.openTimesMs.back(), 105u);
    EXPECT_TRUE(device.IsOpen());

    // The pause counts against the time-out: an error at 5 ms, a frame at 200 ms and a
    // time-out of 120 ms leave nothing.
    device.queueErrorAtMs = clock.NowMs() + 5;
    const std::uint64_t startMs = clock.NowMs();
    device.ArriveAt(startMs + 200, frame);
    EXPECT_FALSE(device.ReadFrame(120).has_value());
    EXPECT_LE(clock.NowMs() - startMs, 121u);
}

TEST_F(StreamTransportTest, FailedReopenAfterReadErrorEndsTheRead)
{
    device.queueErrorAtMs = 0;
    device.opensFail = true;
    device.ArriveAt(150, MakeFrame(16));

    EXPECT_FALSE(device.ReadFrame(5000).has_value());
    EXPECT_EQ(clock.NowMs(), 100u) << "gives up after the pause, not at the time-out";
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(StreamTransportTest, PartialFrameIsNotSplicedWithBytesAfterAReopen)
{
    const Bytes stale = MakeFrame(16, 0x11);
    const Bytes fresh = MakeFrame(16, 0x22);
    device.ArriveAt(0, Bytes(stale.begin(), stale.begin() + 8));
    device.queueErrorAtMs = 3;
    device.ArriveAt(110, fresh);

    EXPECT_EQ(device.ReadFrame(1000), fresh);
}

TEST_F(StreamTransportTest, ClosedTransportReopensWithStoredIdAndBaud)
{
    ASSERT_FALSE(device.Open("other", 9600)) << "already open";
    device.Close();
    device.ArriveAt(0, MakeFrame(16));
    EXPECT_TRUE(device.ReadFrame(10).has_value());
    device.Close();
    EXPECT_TRUE(device.Write(Bytes{1, 2, 3}));
    EXPECT_EQ(device.log, (std::vector<std::string>{"open fake@115200", "close", "open fake@115200", "close",
                                                    "open fake@115200", "purge", "write 3"}));
}

TEST(StreamTransportNeverOpened, DoesNotOpenWithoutAnId)
{
    VirtualClock clock;
    FakeDevice device(clock);
    EXPECT_FALSE(device.Write(Bytes{1}));
    EXPECT_FALSE(device.ReadFrame(10).has_value());
    EXPECT_FALSE(device.Open("", 115200));
    EXPECT_TRUE(device.log.empty());
}

TEST_F(StreamTransportTest, ContinuesPartialWritesAfterAPause)
{
    const Bytes request = MakeFrame(20);
    device.writeScript = {7, 1};  // then everything that is left

    EXPECT_TRUE(device.Write(request));
    EXPECT_EQ(device.written, request);
    EXPECT_EQ(device.log, (std::vector<std::string>{"open fake@115200", "purge", "write 7", "write 1", "write 12"}));
    EXPECT_EQ(clock.NowMs(), 2u);
}

TEST_F(StreamTransportTest, ZeroByteWriteFailsAndStaysOpen)
{
    device.writeScript = {std::size_t{4}, std::size_t{0}};
    EXPECT_FALSE(device.Write(MakeFrame(16)));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.log.back(), "write 0");
}

TEST_F(StreamTransportTest, WriteErrorClosesAndTheNextWriteReopens)
{
    device.writeScript = {std::nullopt};
    EXPECT_FALSE(device.Write(MakeFrame(16)));
    EXPECT_FALSE(device.IsOpen());

    EXPECT_TRUE(device.Write(MakeFrame(16)));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.log, (std::vector<std::string>{"open fake@115200", "purge", "write error", "close",
                                                    "open fake@115200", "purge", "write 16"}));
}

TEST_F(StreamTransportTest, EveryWritePurgesALateAnswerFirst)
{
    const Bytes late = MakeFrame(16, 0x11);
    const Bytes answer = MakeFrame(16, 0x22);
    device.ArriveAt(0, late);
    ASSERT_TRUE(device.Write(MakeFrame(16)));
    device.ArriveAt(4, answer);

    EXPECT_EQ(device.ReadFrame(100), answer);

    ASSERT_TRUE(device.Write(MakeFrame(16)));
    const std::vector<std::string> expected = {"open fake@115200", "purge", "write 16", "purge", "write 16"};
    EXPECT_EQ(device.log, expected);
}

}  // namespace
}  // namespace quorfw
