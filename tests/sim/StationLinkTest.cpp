#include "sim/StationLink.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bus/Crc8.h"
#include "bus/FrameCodec.h"
#include "bus/LinkScrambling.h"
#include "tests/bus/CodecTestUtil.h"

namespace quorfw {
namespace {

using testutil::ToHex;

constexpr std::uint32_t kTool = 0x20000000;
constexpr std::uint32_t kUnit = 0x21000005;
constexpr std::uint32_t kModule = 0x70123456;

// The tool announces its key to the station, as the session's announcement pass does.
void Announce(LinkState& tool, StationLink& station, std::uint32_t destination)
{
    BusMessage announcement;
    BuildKeyAnnouncement(tool, announcement);
    announcement.SetDestination(destination);
    const EncodedFrame frame = EncodeFrame(tool, announcement);
    ASSERT_EQ(frame.status, kSendOk);
    BusMessage heard;
    ASSERT_EQ(station.DecodeRequest(frame.Bytes(), heard), DecodeResult::Accepted);
    EXPECT_EQ(heard.Command(), 0);
    EXPECT_EQ(station.Link().multiplier, tool.multiplier);
    EXPECT_EQ(station.Link().increment, tool.increment);
}

TEST(StationLink, LearnsKeyAndReadsScrambledRequests)
{
    LinkState tool(10);
    StationLink station(20);
    Announce(tool, station, kModule);

    std::mt19937 random(1);
    for (int i = 0; i < 200; ++i) {
        BusMessage request;
        const std::uint16_t length = static_cast<std::uint16_t>(27 + random() % 300);
        FillRequest(tool, request, length, kTool, testutil::RandomAddress(random), 0x30, random(), random(), 0x81, 0x80);
        testutil::FillStressBytes(random, request.Data(), length - BusMessage::kDataOffset);
        const BusMessage sent = request;
        const EncodedFrame frame = EncodeFrame(tool, request);
        ASSERT_FALSE(frame.abandoned);
        ASSERT_EQ(request.Kind(), kKindSeedScrambled);

        BusMessage heard;
        ASSERT_EQ(station.DecodeRequest(frame.Bytes(), heard), DecodeResult::Accepted);
        EXPECT_EQ(heard.Destination(), sent.Destination());
        EXPECT_EQ(heard.Source(), kTool);
        EXPECT_EQ(heard.Sequence(), sent.Sequence());
        EXPECT_EQ(ToHex(heard.Payload()), ToHex(sent.Payload()));
    }
}

TEST(StationLink, WithoutTheKeyAScrambledRequestFailsItsChecksum)
{
    LinkState tool(10);
    StationLink station(20);
    Announce(tool, station, kModule);
    tool.multiplier ^= 0x1234;  // the tool moved on to a key the station never heard
    BusMessage request;
    FillRequest(tool, request, 40, kTool, kModule, 0x30, 1, 2, 0x81, 0x80);
    BusMessage heard;
    EXPECT_EQ(station.DecodeRequest(EncodeFrame(tool, request).Bytes(), heard), DecodeResult::ChecksumMismatch);
}

struct AnswerCase {
    std::uint8_t linkMode;
    std::uint8_t answerKind;
};

// Request from the tool, answer from the station in the given style, decoded by the tool.
void ExpectAnswerRoundTrip(const AnswerCase& c, std::uint32_t seed)
{
    std::mt19937 random(seed);
    LinkState tool(seed);
    tool.linkMode = c.linkMode;
    StationLink station(seed + 7);
    if (c.linkMode == LINK_SCRAMBLED)
        Announce(tool, station, kModule);
    tool.sequence = static_cast<std::uint8_t>(random());
    tool.inSync = false;

    BusMessage request;
    FillRequest(tool, request, 27, kTool, kModule, 0x22, 0, 0, 0x81, 0x80);
    const EncodedFrame requestFrame = EncodeFrame(tool, request);
    BusMessage heard;
    ASSERT_EQ(station.DecodeRequest(requestFrame.Bytes(), heard), DecodeResult::Accepted);

    std::vector<std::uint8_t> data(random() % 1100);
    testutil::FillStressBytes(random, data.data(), data.size());
    BusMessage answer;
    const std::uint32_t operand1 = random(), operand2 = random();
    ASSERT_TRUE(StationLink::FillAnswer(heard, answer, 0x81, operand1, operand2, data));
    const EncodedFrame answerFrame = station.EncodeAnswer(answer, c.answerKind);
    ASSERT_EQ(answerFrame.status, kSendOk);
    if (answerFrame.abandoned)
        return;

    const std::uint8_t sequenceBefore = tool.sequence;
    BusMessage out;
    ASSERT_EQ(DecodeFrameChecked(tool, answerFrame.Bytes(), out), DecodeResult::Accepted)
        << "kind " << int(c.answerKind) << " link " << int(c.linkMode) << " seed " << seed;
    EXPECT_EQ(out.Destination(), kTool);
    EXPECT_EQ(out.Source(), kModule);
    EXPECT_EQ(out.Command(), 0x81);
    EXPECT_EQ(out.Operand1(), operand1);
    EXPECT_EQ(out.Operand2(), operand2);
    EXPECT_EQ(out.Length(), BusMessage::kDataOffset + data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.Data()));
    EXPECT_EQ(tool.sequence, static_cast<std::uint8_t>(sequenceBefore + 1));
    EXPECT_TRUE(tool.inSync);
}

TEST(StationLink, AnswersInEveryStyleReachTheTool)
{
    std::vector<AnswerCase> cases = {{LINK_SCRAMBLED, kKindPlain}, {LINK_SCRAMBLED, kKindSeedScrambled}};
    for (std::uint8_t program = 1; program <= 7; ++program)
        cases.push_back({LINK_SCRAMBLED, program});
    // The compact header carries neither seed nor kind: whatever the style, it goes plain.
    cases.push_back({LINK_COMPACT, kKindPlain});
    cases.push_back({LINK_COMPACT, kKindSeedScrambled});
    cases.push_back({LINK_COMPACT, 3});
    for (const AnswerCase& c : cases)
        for (std::uint32_t seed = 1; seed <= 40; ++seed)
            ExpectAnswerRoundTrip(c, seed * 7919);
}

TEST(StationLink, AnswerStylesOnTheWire)
{
    LinkState tool(1);
    StationLink station(2);
    Announce(tool, station, kModule);
    BusMessage request;
    FillRequest(tool, request, 27, kTool, kModule, 0x22, 0, 0, 0x81, 0x80);
    request.SetSequence(0x33);
    BusMessage heard = request;

    const std::uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (std::uint8_t kind : {kKindPlain, kKindSeedScrambled, std::uint8_t{5}}) {
        BusMessage answer;
        ASSERT_TRUE(StationLink::FillAnswer(heard, answer, 0x81, 0, 0, data));
        const BusMessage plain = answer;
        ASSERT_EQ(station.EncodeAnswer(answer, kind).status, kSendOk);
        EXPECT_EQ(answer.Sequence(), 0x33);
        EXPECT_EQ(answer.Checksum(), Crc8(plain.Payload()));  // always over the plain payload
        const bool payloadChanged = !std::equal(plain.Payload().begin(), plain.Payload().end(), answer.Payload().begin());
        if (kind == kKindPlain) {
            EXPECT_EQ(answer.Kind(), 0xC0);
            EXPECT_FALSE(payloadChanged);
        } else if (kind == kKindSeedScrambled) {
            EXPECT_EQ(answer.Kind(), 0x80);
            EXPECT_TRUE(payloadChanged);
        } else {
            EXPECT_EQ(answer.Kind(), 0xC5);
            EXPECT_TRUE(payloadChanged);
            EXPECT_EQ(answer.SeedLow(), 0);
            EXPECT_EQ(answer.SeedHigh(), 0);
        }
    }
    BusMessage answer;
    ASSERT_TRUE(StationLink::FillAnswer(heard, answer, 0x81, 0, 0));
    EXPECT_EQ(station.EncodeAnswer(answer, 8).status, kSendUnencodable);
    std::vector<std::uint8_t> tooMuch(BusMessage::kDataCapacity + 1);
    EXPECT_FALSE(StationLink::FillAnswer(heard, answer, 0x81, 0, 0, tooMuch));
}

TEST(StationLink, HeaderOnlyAnswers)
{
    for (std::uint8_t flags : {kFrameBusy, kFrameRefused, std::uint8_t{0}}) {
        LinkState tool(1);
        tool.sequence = 4;
        StationLink station(2);
        BusMessage request;
        FillRequest(tool, request, 27, kTool, kModule, 0x22, 0, 0, 0x81, 0xC0);
        BusMessage heard;
        ASSERT_EQ(station.DecodeRequest(EncodeFrame(tool, request).Bytes(), heard), DecodeResult::Accepted);

        const EncodedFrame frame = station.EncodeHeaderOnly(heard, flags);
        ASSERT_EQ(frame.status, kSendOk);
        EXPECT_EQ(frame.size, kHeaderOnlyFrameLength);
        BusMessage out;
        ASSERT_EQ(DecodeFrameChecked(tool, frame.Bytes(), out), DecodeResult::Accepted);
        EXPECT_TRUE(out.IsHeaderOnly());
        EXPECT_EQ(out.FrameFlags() & (kFrameBusy | kFrameRefused), flags);
        EXPECT_EQ(out.Destination(), kTool);
        EXPECT_EQ(out.Source(), kModule);
        EXPECT_EQ(tool.sequence, 4);
    }
}

TEST(StationLink, ReadsHeaderOnlyAndCompactRequests)
{
    LinkState tool(1);
    StationLink station(2);
    BusMessage poll;
    FillRequest(tool, poll, 14, kTool, 0, 0x00, 0, 0, 0xA8, 0x80);
    BusMessage heard;
    ASSERT_EQ(station.DecodeRequest(EncodeFrame(tool, poll).Bytes(), heard), DecodeResult::Accepted);
    EXPECT_TRUE(heard.IsHeaderOnly());
    EXPECT_EQ(heard.Length(), 14);
    EXPECT_EQ(heard.FrameFlags(), 0xA8);

    tool.linkMode = LINK_COMPACT;
    BusMessage request;
    FillRequest(tool, request, 33, kTool, kUnit, 0x38, 7, 9, 0x81, 0x80);
    for (int i = 0; i < 6; ++i)
        request.Data()[i] = static_cast<std::uint8_t>(0x3F - i);
    const BusMessage sent = request;
    ASSERT_EQ(station.DecodeRequest(EncodeFrame(tool, request).Bytes(), heard), DecodeResult::Accepted);
    EXPECT_EQ(heard.LinkMode(), LINK_COMPACT);
    EXPECT_EQ(heard.Length(), 33);
    EXPECT_EQ(ToHex(heard.Payload()), ToHex(sent.Payload()));

    // A station answer to a compact request comes back compact, and the tool reads it.
    BusMessage answer;
    ASSERT_TRUE(StationLink::FillAnswer(heard, answer, 0xB8, 1, 2));
    const EncodedFrame frame = station.EncodeAnswer(answer, kKindSeedScrambled);
    EXPECT_EQ(answer.Length(), 24);
    BusMessage out;
    ASSERT_EQ(DecodeFrameChecked(tool, frame.Bytes(), out), DecodeResult::Accepted);
    EXPECT_EQ(out.Command(), 0xB8);
    EXPECT_EQ(out.Operand2(), 2u);
}

TEST(StationLink, GarbageFramesStayInsideTheirBuffers)
{
    std::mt19937 random(77);
    StationLink station(1);
    struct Guarded {
        std::array<std::uint8_t, 64> before;
        BusMessage message;
        std::array<std::uint8_t, 64> after;
    } g;
    g.before.fill(0xA5);
    g.after.fill(0x5A);
    for (int i = 0; i < 20000; ++i) {
        std::vector<std::uint8_t> frame(random() % 1300);
        for (auto& b : frame)
            b = (random() % 3 == 0) ? kEscape : static_cast<std::uint8_t>(random());
        if (frame.size() >= 4 && random() % 2) {
            WriteLe16(&frame[1], static_cast<std::uint16_t>(((frame.size() - 2) << 2) | 0x2001));
            frame[3] = (random() % 2) ? LINK_COMPACT : LINK_SCRAMBLED;
        }
        if (station.DecodeRequest(frame, g.message) == DecodeResult::Accepted) {
            EXPECT_LE(g.message.Length(), kMaxMessageLength);
        }
    }
    for (std::uint8_t b : g.before)
        ASSERT_EQ(b, 0xA5);
    for (std::uint8_t b : g.after)
        ASSERT_EQ(b, 0x5A);
}

}  // namespace
}  // namespace quorfw
