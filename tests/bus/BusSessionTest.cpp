#include "bus/BusSession.h"

#include <thread>

#include <gtest/gtest.h>

#include "bus/FrameCodec.h"
#include "sim/StationLink.h"
#include "tests/bus/BusSessionTestBench.h"

namespace quorfw {
namespace {

using sessiontest::SessionBench;
using Kind = TransactionFailure::Kind;

constexpr std::uint32_t kNobody = 0x70999999;  // a module address no station has

FaultRule Rule(FaultType type, std::uint32_t station, std::uint8_t command, std::uint32_t count = 1)
{
    FaultRule r;
    r.type = type;
    r.station = station;
    r.command = command;
    r.count = count;
    return r;
}

InstallationConfig FourModules()
{
    InstallationConfig c = InstallationConfig::Default();
    StationConfig fourth;
    fourth.address = 0x30456789;
    fourth.version = 7000001;
    fourth.serial = "20070100000001";
    c.modules.push_back(fourth);
    return c;
}

enum class Transaction { Plain, Timed };

BusMessage* RunTransaction(SessionBench& b, Transaction t, BusMessage& request)
{
    return t == Transaction::Plain ? b.session.Transact(request) : b.session.TransactTimed(request, 0, 50);
}

class BusSessionBoth : public ::testing::TestWithParam<Transaction> {};

INSTANTIATE_TEST_SUITE_P(Transactions, BusSessionBoth, ::testing::Values(Transaction::Plain, Transaction::Timed),
                         [](const auto& info) { return info.param == Transaction::Plain ? "Transact" : "TransactTimed"; });

TEST_P(BusSessionBoth, BusyThenAnswerReturnsTheAnswerAfterOneContinue)
{
    InstallationConfig config = InstallationConfig::Default();
    config.modules[0].pollLimit = 5;
    SessionBench b(config);
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    b.installation->Faults().Add(Rule(FaultType::Busy, b.ModuleAddress(0), 0x22, 1));

    BusMessage request = b.Poll(b.ModuleAddress(0));
    const BusMessage* answer = RunTransaction(b, GetParam(), request);

    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer, &request);
    EXPECT_EQ(answer->Command(), 0x81);
    EXPECT_EQ(answer->Operand2(), 5u);
    EXPECT_EQ(answer->Source(), b.ModuleAddress(0));
    EXPECT_EQ(b.session.LastFailure().kind, Kind::None);
    // The request, then the continue: same station, command 0x22, operands 0, the flags
    // and kind the request went out with.
    const std::vector<BusMessage> polls = b.Received(b.ModuleAddress(0), 0x22);
    ASSERT_EQ(polls.size(), 2u);
    EXPECT_EQ(polls[1].Length(), 27);
    EXPECT_EQ(polls[1].Operand1(), 0u);
    EXPECT_EQ(polls[1].Operand2(), 0u);
    EXPECT_EQ(polls[1].FrameFlags(), 0x81);
    EXPECT_EQ(polls[1].Kind(), kKindSeedScrambled);
    EXPECT_EQ(polls[1].Source(), b.session.link.ownAddress);
}

TEST_P(BusSessionBoth, ThreeBusyAnswersFail)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    b.installation->Faults().Add(Rule(FaultType::Busy, b.ModuleAddress(0), 0x22, 3));

    BusMessage request = b.Poll(b.ModuleAddress(0));
    EXPECT_EQ(RunTransaction(b, GetParam(), request), nullptr);
    EXPECT_EQ(b.session.LastFailure().kind, Kind::Busy);
    EXPECT_NE(b.session.LastFailure().lastAnswerFlags & kFrameBusy, 0);
    // The request and a continue after each of the three busy answers.
    EXPECT_EQ(b.Received(b.ModuleAddress(0), 0x22).size(), 4u);
}

TEST_P(BusSessionBoth, AnswerFromAnotherStationCostsAnAttempt)
{
    struct Case {
        std::uint32_t foreignFrames;
        bool answered;
    };
    for (const Case c : {Case{1, true}, Case{2, true}, Case{3, false}}) {
        SCOPED_TRACE(c.foreignFrames);
        SessionBench b;
        ASSERT_TRUE(b.session.AnnounceLinkKey(0));
        FaultRule foreign = Rule(FaultType::Foreign, b.ModuleAddress(0), 0x22, c.foreignFrames);
        foreign.address = b.ModuleAddress(1);
        b.installation->Faults().Add(foreign);

        BusMessage request = b.Poll(b.ModuleAddress(0));
        const BusMessage* answer = RunTransaction(b, GetParam(), request);
        EXPECT_EQ(answer != nullptr, c.answered);
        if (answer != nullptr) {
            EXPECT_EQ(answer->Source(), b.ModuleAddress(0));
        } else {
            EXPECT_EQ(b.session.LastFailure().kind, Kind::NoAnswer);
        }
        // The real answer was on the line all along: only one request went out.
        EXPECT_EQ(b.Received(b.ModuleAddress(0), 0x22).size(), 1u);
    }
}

TEST_P(BusSessionBoth, RequestLongerThanATransactionTakesIsNotSent)
{
    SessionBench b;
    BusMessage request = b.Poll(b.ModuleAddress(0));
    request.SetLength(kMaxRequestLength + 1);
    EXPECT_EQ(RunTransaction(b, GetParam(), request), nullptr);
    EXPECT_EQ(b.session.LastFailure().kind, Kind::TooLong);
    EXPECT_TRUE(b.installation->Events().empty());
    EXPECT_EQ(b.clock.NowMs(), 0u);
}

TEST_P(BusSessionBoth, UnframeableRequestFailsAtOnceInsteadOfWaitingForAnAnswer)
{
    SessionBench b;
    b.session.link.inSync = true;
    // Alternating STX and ETX bytes each take a two-byte token: the frame cannot hold them.
    BusMessage request;
    FillRequest(b.session.link, request, kMaxRequestLength, b.session.link.ownAddress, b.ModuleAddress(0), 0x20, 1,
                0, 0x81, kKindPlain);
    for (std::size_t i = 0; i < request.DataBytes().size(); ++i) {
        request.DataBytes()[i] = (i % 2 == 0) ? 0x02 : 0x03;
    }
    EXPECT_EQ(RunTransaction(b, GetParam(), request), nullptr);
    EXPECT_EQ(b.session.LastFailure().kind, Kind::TooLong);
    EXPECT_TRUE(b.installation->Events().empty());
    EXPECT_EQ(b.clock.NowMs(), 0u);
}

TEST(BusSession, TimedWaitsAreTimeoutPlus50AndSleepsAreTheTimeout)
{
    struct Case {
        std::uint32_t timeoutMs;
        std::uint32_t delayMs;
        std::uint64_t elapsedMs;  // delay + 3 * (timeout + 50) + 3 * timeout
    };
    for (const Case c : {Case{0, 0, 150}, Case{0, 50, 200}, Case{20, 0, 270}, Case{100, 50, 800}}) {
        SCOPED_TRACE(c.timeoutMs);
        SessionBench b;
        ASSERT_TRUE(b.session.AnnounceLinkKey(0));
        ASSERT_TRUE(b.session.link.inSync);
        BusMessage request = b.Poll(kNobody);
        const std::uint64_t start = b.clock.NowMs();
        EXPECT_EQ(b.session.TransactTimed(request, c.timeoutMs, c.delayMs), nullptr);
        EXPECT_EQ(b.clock.NowMs() - start, c.elapsedMs);
        EXPECT_EQ(b.session.LastFailure().kind, Kind::NoAnswer);
        EXPECT_EQ(b.session.LastFailure().attempts, 3);
    }
}

TEST(BusSession, TransactWaitsThreeTimes550Ms)
{
    SessionBench b;
    BusMessage request = b.Poll(kNobody);
    EXPECT_EQ(b.session.Transact(request), nullptr);
    EXPECT_EQ(b.clock.NowMs(), 3u * 550u);
    EXPECT_EQ(b.session.LastFailure().kind, Kind::NoAnswer);
}

TEST(BusSession, RefusedEndsTransactTimedAtOnce)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    b.installation->Faults().Add(Rule(FaultType::Refuse, b.ModuleAddress(0), 0x22));
    BusMessage request = b.Poll(b.ModuleAddress(0));
    const std::uint64_t start = b.clock.NowMs();

    EXPECT_EQ(b.session.TransactTimed(request, 500, 50), nullptr);

    EXPECT_EQ(b.session.LastFailure().kind, Kind::Refused);
    EXPECT_EQ(b.session.LastFailure().attempts, 1);
    EXPECT_NE(b.session.LastFailure().lastAnswerFlags & kFrameRefused, 0);
    // The delay and the few milliseconds until the refusal arrived, not the 550 ms wait.
    EXPECT_LT(b.clock.NowMs() - start, 50u + 20u);
    EXPECT_EQ(b.Received(b.ModuleAddress(0)).size(), 1u + 1u);  // announcement and poll
}

TEST(BusSession, RefusedIsReRequestedByTransact)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    b.installation->Faults().Add(Rule(FaultType::Refuse, b.ModuleAddress(0), 0x22));
    BusMessage request = b.Poll(b.ModuleAddress(0));
    const std::uint64_t start = b.clock.NowMs();

    EXPECT_EQ(b.session.Transact(request), nullptr);

    EXPECT_EQ(b.session.LastFailure().kind, Kind::Refused);
    EXPECT_EQ(b.session.LastFailure().attempts, 3);
    EXPECT_GE(b.clock.NowMs() - start, 3u * 600u);
    // After every refusal a bare re-request header: frameFlags 0xA0, own address to the module.
    const std::vector<BusMessage> reRequests = b.Received(b.ModuleAddress(0), -1);
    ASSERT_EQ(reRequests.size(), 3u);
    for (const BusMessage& m : reRequests) {
        EXPECT_EQ(m.FrameFlags(), 0xA0);
        EXPECT_EQ(m.Source(), b.session.link.ownAddress);
        EXPECT_EQ(m.Destination(), b.ModuleAddress(0));
    }
    // The station repeated its refusal to every re-request.
    std::size_t refusals = 0;
    for (const SimEvent& e : b.installation->Events()) {
        refusals += e.type == SimEvent::Type::Refused ? 1 : 0;
    }
    EXPECT_EQ(refusals, 4u);
}

TEST(BusSession, AnnouncementReachesTheTargetSlotAndTheSlotsAboveIt)
{
    struct Case {
        std::uint8_t target;
        std::array<std::size_t, 5> announcements;  // unit, slots 0-3
    };
    const Case cases[] = {
        {2, {0, 0, 0, 1, 1}},    {0, {0, 1, 1, 1, 1}},    {3, {0, 0, 0, 0, 1}},
        {0xFE, {1, 1, 1, 1, 1}}, {0xFF, {1, 0, 0, 0, 0}}, {4, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.target));
        SessionBench b(FourModules());
        EXPECT_TRUE(b.session.AnnounceLinkKey(c.target));
        EXPECT_EQ(b.Announcements(b.installation->Config().unit.address), c.announcements[0]);
        for (std::size_t slot = 0; slot < 4; ++slot) {
            EXPECT_EQ(b.Announcements(b.ModuleAddress(slot)), c.announcements[slot + 1]) << "slot " << slot;
        }
    }
}

TEST(BusSession, AnnouncementTeachesTheKeyAndSkipsEmptySlots)
{
    SessionBench b(FourModules());
    b.session.modules[1].present = 0;
    b.session.modules[2].address = 0;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    EXPECT_EQ(b.Announcements(b.ModuleAddress(1)), 0u);
    EXPECT_EQ(b.Announcements(b.ModuleAddress(2)), 0u);
    for (std::size_t slot : {0u, 3u}) {
        SimStation& station = b.installation->Module(slot);
        EXPECT_TRUE(station.KeyKnown());
        EXPECT_EQ(station.Link().Link().multiplier, b.session.link.multiplier);
        EXPECT_EQ(station.Link().Link().increment, b.session.link.increment);
        const BusMessage a = b.Received(b.ModuleAddress(slot), 0x00).at(0);
        EXPECT_EQ(a.Length(), 91);
        EXPECT_EQ(a.Source(), b.session.link.ownAddress);
        EXPECT_EQ(a.FrameFlags(), 0x81);
    }
    ASSERT_TRUE(b.session.announcement.has_value());
}

TEST(BusSession, UnitOnlyAnnouncementIsSentWithoutWaiting)
{
    SessionBench b;
    EXPECT_TRUE(b.session.AnnounceLinkKey(BusSession::kAnnounceUnitOnly));
    EXPECT_EQ(b.clock.NowMs(), 50u);  // the pause after sending, no answer wait
    EXPECT_EQ(b.Announcements(b.installation->Config().unit.address), 1u);
    EXPECT_TRUE(b.installation->Unit().KeyKnown());

    b.session.unit.present = 0;
    EXPECT_TRUE(b.session.AnnounceLinkKey(BusSession::kAnnounceUnitOnly));
    EXPECT_EQ(b.clock.NowMs(), 50u);
    EXPECT_EQ(b.Announcements(b.installation->Config().unit.address), 1u);
}

TEST(BusSession, AnnouncementAnsweredWithAnnounceAgainStillEndsTheSlot)
{
    InstallationConfig config = InstallationConfig::Default();
    config.modules[0].announceAnswer = 0x80;
    SessionBench b(config);
    EXPECT_TRUE(b.session.AnnounceLinkKey(0));
    EXPECT_EQ(b.Announcements(b.ModuleAddress(0)), 1u);
}

TEST(BusSession, AnnouncementFailsWhenAModuleStaysSilentFor3000Ms)
{
    SessionBench b;
    FaultRule silence;
    silence.type = FaultType::Silence;
    silence.station = b.ModuleAddress(1);
    silence.untilMs = 1'000'000;
    b.installation->Faults().Add(silence);

    EXPECT_FALSE(b.session.AnnounceLinkKey(0));
    // Slot 0 answered; slot 1 got three tries (at 0, 1250 and 2500 ms into its deadline);
    // slot 2 was not tried.
    EXPECT_EQ(b.Announcements(b.ModuleAddress(0)), 1u);
    EXPECT_EQ(b.Announcements(b.ModuleAddress(2)), 0u);
    std::size_t silentTries = 0;
    for (const SimEvent& e : b.installation->Events()) {
        silentTries += (e.type == SimEvent::Type::Silent && e.station == b.ModuleAddress(1)) ? 1 : 0;
    }
    EXPECT_EQ(silentTries, 3u);
}

TEST(BusSession, SequenceStartsAgainAtZeroAfterAnAnnouncement)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    for (int i = 0; i < 3; ++i) {
        BusMessage poll = b.Poll(b.ModuleAddress(0));
        ASSERT_NE(b.session.TransactTimed(poll, 0, 50), nullptr);
    }
    ASSERT_GT(b.session.link.sequence, 3);

    ASSERT_TRUE(b.session.AnnounceLinkKey(1));
    EXPECT_EQ(b.Received(b.ModuleAddress(1), 0x00).back().Sequence(), 0);

    // Only the unit learns this key; it is polled next and sees the counter at 0.
    ASSERT_TRUE(b.session.AnnounceLinkKey(BusSession::kAnnounceUnitOnly));
    const std::uint32_t unit = b.installation->Config().unit.address;
    BusMessage poll = b.Poll(unit);
    ASSERT_NE(b.session.TransactTimed(poll, 0, 50), nullptr);
    EXPECT_EQ(b.Received(unit, 0x22).back().Sequence(), 0);
    EXPECT_EQ(b.session.link.sequence, 1);
}

TEST(BusSession, ClosingWhileWaitingEndsTheTransactionAfterTheCurrentWait)
{
    struct Case {
        Transaction transaction;
        bool fromAnotherThread;
        std::uint64_t elapsedMs;
    };
    // Closed at 100 ms: Transact is in its first 550 ms wait; TransactTimed(100, 50) in its
    // first 150 ms wait, which ends at 200 ms.
    for (const Case c : {Case{Transaction::Plain, false, 550}, Case{Transaction::Timed, false, 200},
                         Case{Transaction::Plain, true, 550}}) {
        SCOPED_TRACE(c.elapsedMs);
        SessionBench b;
        b.session.link.inSync = true;
        b.clock.afterSleep = [&](std::uint64_t now) {
            if (now >= 100 && b.session.IsOpen()) {
                if (c.fromAnotherThread) {
                    std::thread([&] { b.session.Close(); }).join();
                } else {
                    b.session.Close();
                }
            }
        };
        BusMessage request = b.Poll(kNobody);
        const BusMessage* answer = c.transaction == Transaction::Plain ? b.session.Transact(request)
                                                                       : b.session.TransactTimed(request, 100, 50);
        EXPECT_EQ(answer, nullptr);
        EXPECT_EQ(b.session.LastFailure().kind, Kind::NotOpen);
        EXPECT_EQ(b.session.LastFailure().attempts, 1);
        EXPECT_EQ(b.clock.NowMs(), c.elapsedMs);
    }
}

TEST(BusSession, ClosedSessionNeitherSendsNorReceives)
{
    SessionBench b;
    b.session.Close();
    BusMessage request = b.Poll(b.ModuleAddress(0));
    EXPECT_EQ(b.session.SendFrame(request), kSendSessionClosed);
    BusMessage message;
    EXPECT_FALSE(b.session.ReceiveFrame(message, 500));
    request = b.Poll(b.ModuleAddress(0));
    EXPECT_EQ(b.session.TransactTimed(request, 0, 50), nullptr);
    EXPECT_EQ(b.session.LastFailure().kind, Kind::NotOpen);
    EXPECT_EQ(b.session.Transact(request), nullptr);
    EXPECT_TRUE(b.installation->Events().empty());
    EXPECT_EQ(b.clock.NowMs(), 0u);
}

TEST(BusSession, SilentBusEndsATransactionInBoundedTimeWithoutNestedAnnouncements)
{
    // Every answer is lost and the link starts out of sync: each of the three attempts runs
    // one announcement pass, whose own transactions start none. The pass gives slot 0 three
    // tries (3350 ms with the unit's 50 ms) and then gives up.
    SessionBench b;
    FaultRule drop;
    drop.type = FaultType::Drop;
    b.installation->Faults().Add(drop);
    ASSERT_FALSE(b.session.link.inSync);

    BusMessage request = b.Poll(b.ModuleAddress(0));
    EXPECT_EQ(b.session.TransactTimed(request, 0, 50), nullptr);

    EXPECT_EQ(b.session.LastFailure().kind, Kind::NoAnswer);
    EXPECT_EQ(b.clock.NowMs(), 50u + 3u * (50u + 3350u));
    EXPECT_EQ(b.Announcements(b.installation->Config().unit.address), 3u);
    EXPECT_EQ(b.Announcements(b.ModuleAddress(0)), 9u);
    EXPECT_EQ(b.Announcements(b.ModuleAddress(1)), 0u);
}

TEST(BusSession, EveryAnswerStyleAndLinkModeIsUnderstood)
{
    struct Case {
        std::uint8_t answerKind;
        std::uint8_t linkMode;
    };
    std::vector<Case> cases = {{kAnswerPlain, LINK_SCRAMBLED}, {kAnswerSeedScrambled, LINK_SCRAMBLED},
                               {kAnswerSeedScrambled, LINK_COMPACT}};
    for (std::uint8_t program = 1; program <= 7; ++program) {
        cases.push_back({program, LINK_SCRAMBLED});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answerKind));
        SCOPED_TRACE(static_cast<int>(c.linkMode));
        InstallationConfig config = InstallationConfig::Default();
        config.modules[0].answerKind = c.answerKind;
        config.modules[0].pollLimit = 9;
        SessionBench b(config);
        b.session.link.linkMode = c.linkMode;
        ASSERT_TRUE(b.session.AnnounceLinkKey(0));
        BusMessage request = b.Poll(b.ModuleAddress(0));
        const BusMessage* answer = b.session.TransactTimed(request, 0, 50);
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer->Command(), 0x81);
        EXPECT_EQ(answer->Operand2(), 9u);
        EXPECT_TRUE(b.session.link.inSync);
    }
}

// A frame a station sends to the tool on its own: header-only, or a full answer whose
// checksum byte is spoiled when `damaged`.
std::vector<std::uint8_t> StationFrame(std::uint32_t source, std::uint32_t destination, bool headerOnly,
                                       bool damaged = false)
{
    BusMessage request;  // the request the frame answers
    request.SetLinkMode(LINK_SCRAMBLED);
    request.SetSource(destination);
    request.SetDestination(source);
    StationLink link(1);
    EncodedFrame f;
    if (headerOnly) {
        f = link.EncodeHeaderOnly(request, 0);
    } else {
        BusMessage answer;
        EXPECT_TRUE(StationLink::FillAnswer(request, answer, 0x81, 0x11223344, 0));
        f = link.EncodeAnswer(answer, kKindPlain);
    }
    std::vector<std::uint8_t> frame(f.Bytes().begin(), f.Bytes().end());
    if (damaged) {
        // Frame offset 17 holds message byte 16, the checksum (the body starts with
        // seedHigh and sequence, both 0, which travel as two literal bytes).
        frame.at(17) ^= 0x5A;
    }
    return frame;
}

TEST(BusSession, ChecksumFailureLeadsToANewKeyAnnouncement)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(BusSession::kAnnounceAll));
    ASSERT_TRUE(b.session.link.inSync);
    const std::uint32_t oldMultiplier = b.session.link.multiplier;
    // A frame from the module that fails its checksum arrives during the first wait.
    const std::uint64_t nowUs = b.clock.NowMs() * 1000;
    b.installation->InjectToTool(StationFrame(b.ModuleAddress(0), 0x20000000, false, true), nowUs + 10'000);

    BusMessage request = b.Poll(kNobody);
    EXPECT_EQ(b.session.TransactTimed(request, 0, 0), nullptr);

    // One new pass to the unit and every module, which brought the link back in sync.
    EXPECT_EQ(b.Announcements(b.installation->Config().unit.address), 2u);
    for (std::size_t slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(b.Announcements(b.ModuleAddress(slot)), 2u);
    }
    EXPECT_NE(b.session.link.multiplier, oldMultiplier);
    EXPECT_EQ(b.installation->Module(0).Link().Link().multiplier, b.session.link.multiplier);
    EXPECT_TRUE(b.session.link.inSync);
}

TEST(BusSession, AwaitFrameEndsAtTheFirstAcceptedFrame)
{
    SessionBench b;
    // A frame that fails its checksum first: it clears inSync and the wait goes on.
    b.session.link.inSync = true;
    b.installation->InjectToTool(StationFrame(b.ModuleAddress(0), 0x20000000, false, true), 300'000);
    b.installation->InjectToTool(StationFrame(b.ModuleAddress(0), 0x20000000, true), 700'000);
    const std::uint8_t sequence = b.session.link.sequence;

    EXPECT_TRUE(b.session.AwaitFrame());
    EXPECT_GE(b.clock.NowMs(), 700u);
    EXPECT_LT(b.clock.NowMs(), 700u + 25u);
    EXPECT_FALSE(b.session.link.inSync);
    EXPECT_EQ(b.session.link.sequence, sequence);  // a header-only frame leaves the counter alone
}

TEST(BusSession, AwaitFrameKeepsTheEffectsOfAnAcceptedFullFrame)
{
    SessionBench b;
    b.installation->InjectToTool(StationFrame(b.ModuleAddress(0), 0x20000000, false), 100'000);
    EXPECT_TRUE(b.session.AwaitFrame());
    EXPECT_EQ(b.session.link.sequence, 1);
    EXPECT_TRUE(b.session.link.inSync);
}

TEST(BusSession, AwaitFrameGivesUpAfter2000Ms)
{
    SessionBench b;
    EXPECT_FALSE(b.session.AwaitFrame());
    EXPECT_EQ(b.clock.NowMs(), 2000u);
}

}  // namespace
}  // namespace quorfw
