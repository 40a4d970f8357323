#include "bus/FrameCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bus/Crc8.h"
#include "bus/LinkScrambling.h"
#include "tests/bus/CodecTestUtil.h"

namespace quorfw {
namespace {

using testutil::Hex;
using testutil::ToHex;

constexpr std::uint32_t kTool = 0x20000000;
constexpr std::uint32_t kModule = 0x70123456;

std::string Encoded(LinkState& link, BusMessage& message)
{
    const EncodedFrame frame = EncodeFrame(link, message);
    EXPECT_EQ(frame.status, kSendOk);
    return ToHex(frame.Bytes());
}

std::string EscapedBody(const std::vector<std::uint8_t>& body)
{
    std::array<std::uint8_t, kMaxFrameLength> frame{};
    std::size_t offset = kFrameBodyOffset;
    EXPECT_TRUE(EscapeBody(body, frame, offset));
    return ToHex(std::span<const std::uint8_t>(frame.data() + kFrameBodyOffset, offset - kFrameBodyOffset));
}

std::vector<std::uint8_t> Repeat(std::uint8_t b, std::size_t n, std::vector<std::uint8_t> tail = {})
{
    std::vector<std::uint8_t> bytes(n, b);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

TEST(FrameEncoding, ScanPollIsSixteenBytesAndGoesPlain)
{
    LinkState link(1);
    BusMessage poll;
    FillRequest(link, poll, 14, kTool, 0, 0x00, 0, 0, 0xA8, 0x80);
    EXPECT_EQ(Encoded(link, poll), "02 39 20 82 A8 C0 80 80 80 80 00 80 80 80 20 03");
}

TEST(FrameEncoding, PlainPollOnScrambledLinkMatchesTheWire)
{
    LinkState link(1);
    link.sequence = 5;
    BusMessage poll;
    FillRequest(link, poll, 27, kTool, kModule, 0x22, 0, 0, 0x81, 0xC0);
    EXPECT_EQ(Encoded(link, poll), "02 5D 20 82 81 C0 80 D6 B4 92 70 80 80 80 20 00 05 F5 00 22 3F 07 00 00 03");
}

TEST(FrameEncoding, BodyTokens)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> body;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"single STX", {0x02}, "3F 41"},
        {"single ETX", {0x03}, "3F 81"},
        {"single escape", {0x3F}, "3F C1"},
        {"specials amid ordinary bytes", {0x11, 0x02, 0x03, 0x3F, 0x11}, "11 3F 41 3F 81 3F C1 11"},
        {"six equal then others", Repeat(0x55, 6, {0x66, 0x77}), "3F 06 55 66 77"},
        {"three equal stay literal", Repeat(0x55, 3, {0x66}), "55 55 55 66"},
        {"four equal become a run", Repeat(0x55, 4, {0x66}), "3F 04 55 66"},
        {"final byte never joins the run", Repeat(0x55, 5), "3F 04 55 55"},
        {"special run keeps its final byte apart", Repeat(0x02, 3), "3F 42 3F 41"},
        {"run of 100 splits at 62", Repeat(0x11, 100, {0x22}), "3F 3E 11 3F 26 11 22"},
        {"special run of 100 splits at 62", Repeat(0x3F, 100, {0x22}), "3F FE 3F E6 22"},
        // After a split, a rest of three or less goes literally again.
        {"run of 65 leaves a literal rest", Repeat(0x11, 65, {0x22}), "3F 3E 11 11 11 11 22"},
        {"empty body", {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapedBody(c.body), c.expected) << c.what;
}

TEST(FrameEncoding, TokenStartingAtOffset1184AbandonsTheFrame)
{
    // Literal bytes only: the body token for byte k starts at frame offset 15 + k.
    std::vector<std::uint8_t> body(kFrameAbandonOffset - kFrameBodyOffset);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(0x10 + (i % 2));
    std::array<std::uint8_t, kMaxFrameLength> frame{};
    std::size_t offset = kFrameBodyOffset;
    ASSERT_TRUE(EscapeBody(body, frame, offset));  // last token starts at 1183
    EXPECT_EQ(offset, kFrameAbandonOffset);

    body.push_back(0x12);
    offset = kFrameBodyOffset;
    EXPECT_FALSE(EscapeBody(body, frame, offset));

    // A request whose body cannot fit: status 0 and nothing to write.
    LinkState link(1);
    BusMessage request;
    FillRequest(link, request, static_cast<std::uint16_t>(kMaxRequestLength), kTool, kModule, 0x30, 0, 0, 0x81, 0xC0);
    for (std::size_t i = 0; i < BusMessage::kDataCapacity; ++i)
        request.Data()[i] = (i % 2) ? 0x02 : 0x03;
    const EncodedFrame encoded = EncodeFrame(link, request);
    EXPECT_EQ(encoded.status, kSendOk);
    EXPECT_TRUE(encoded.abandoned);
    EXPECT_TRUE(encoded.Bytes().empty());
}

TEST(FrameEncoding, LengthWordAndEtxFrameTheBody)
{
    LinkState link(3);
    BusMessage request;
    FillRequest(link, request, 40, kTool, kModule, 0x30, 1, 2, 0x81, 0xC0);
    const EncodedFrame frame = EncodeFrame(link, request);
    ASSERT_GE(frame.size, kHeaderOnlyFrameLength);
    const std::size_t etx = frame.size - 1;
    EXPECT_EQ(frame.buffer[0], kStx);
    EXPECT_EQ(frame.buffer[etx], kEtx);
    EXPECT_EQ(ReadLe16(&frame.buffer[1]), ((etx - 1) << 2) | 0x2001);
}

TEST(FrameEncoding, ClosedSessionEncodesNothing)
{
    LinkState link(1);
    link.state = kStateClosed;
    BusMessage request;
    FillRequest(link, request, 27, kTool, kModule, 0x22, 0, 0, 0x81, 0xC0);
    const EncodedFrame frame = EncodeFrame(link, request);
    EXPECT_EQ(frame.status, kSendSessionClosed);
    EXPECT_TRUE(frame.Bytes().empty());
}

TEST(FrameEncoding, MessagesThatCannotTravelAreRefused)
{
    LinkState link(1);
    BusMessage request;
    // Top address byte 0x03 would read as ETX on the wire.
    FillRequest(link, request, 27, kTool, 0x03000001, 0x22, 0, 0, 0x81, 0xC0);
    EXPECT_EQ(EncodeFrame(link, request).status, kSendUnencodable);
    // A length past the record would make the encoder read beyond it.
    FillRequest(link, request, 1300, kTool, kModule, 0x22, 0, 0, 0x81, 0xC0);
    EXPECT_EQ(EncodeFrame(link, request).status, kSendUnencodable);
}

TEST(FrameEncoding, ScramblingDecision)
{
    struct Case {
        const char* what;
        std::uint8_t linkMode;
        std::uint8_t command;
        std::uint8_t kind;
        std::uint8_t sentKind;
        bool scrambled;
    };
    const Case cases[] = {
        {"announcement command never scrambled", LINK_SCRAMBLED, 0x00, 0x80, 0xC0, false},
        {"command 0x90 never scrambled", LINK_SCRAMBLED, 0x90, 0x80, 0xC0, false},
        {"plain kind stays plain", LINK_SCRAMBLED, 0x22, 0xC0, 0xC0, false},
        {"scrambled link scrambles", LINK_SCRAMBLED, 0x22, 0x80, 0x80, true},
        {"scrambled link scrambles any other kind", LINK_SCRAMBLED, 0x22, 0x81, 0x80, true},
        {"compact link keeps kind and does not scramble", LINK_COMPACT, 0x22, 0x80, 0x80, false},
    };
    for (const Case& c : cases) {
        LinkState link(7);
        link.linkMode = c.linkMode;
        link.multiplier = 214013;
        link.increment = 2531011;
        BusMessage request;
        FillRequest(link, request, 40, kTool, kModule, c.command, 0x01020304, 0x05060708, 0x81, c.kind);
        for (std::size_t i = 0; i < 13; ++i)
            request.Data()[i] = static_cast<std::uint8_t>(i * 7);
        BusMessage plain = request;
        const std::uint8_t checksum = Crc8(plain.Payload());
        ASSERT_EQ(EncodeFrame(link, request).status, kSendOk) << c.what;
        EXPECT_EQ(request.Kind(), c.sentKind) << c.what;
        if (c.linkMode == LINK_COMPACT) {
            EXPECT_EQ(request.bytes[BusMessage::kCompactChecksumOffset], checksum) << c.what;
            continue;
        }
        EXPECT_EQ(request.Checksum(), checksum) << c.what;
        const bool changed = !std::equal(plain.Payload().begin(), plain.Payload().end(), request.Payload().begin());
        EXPECT_EQ(changed, c.scrambled) << c.what;
        if (c.scrambled) {
            // r = seedLow | seedHigh << 8 is a 15-bit draw; the permutation reads the bytes swapped.
            EXPECT_LT((request.SeedHigh() << 8) | request.SeedLow(), 0x8000) << c.what;
            Unscramble(request.Payload(), MessageSeed(request), link.multiplier, link.increment);
            EXPECT_TRUE(std::equal(plain.Payload().begin(), plain.Payload().end(), request.Payload().begin()));
        } else {
            EXPECT_EQ(request.SeedLow(), 0) << c.what;
            EXPECT_EQ(request.SeedHigh(), 0) << c.what;
        }
    }
}

TEST(FrameEncoding, CompactHeaderDropsThreeBytes)
{
    LinkState link(1);
    link.linkMode = LINK_COMPACT;
    link.sequence = 9;
    BusMessage request;
    FillRequest(link, request, 27, kTool, 0x20000000, 0x22, 0, 0, 0x81, 0xC0);
    const std::uint8_t checksum = Crc8(request.Payload());
    const EncodedFrame frame = EncodeFrame(link, request);
    EXPECT_EQ(request.Length(), 24);
    // Body: checksum, command, then the eight zero operand bytes as a run and a final 00.
    EXPECT_EQ(ToHex(frame.Bytes()), "02 51 20 81 81 C0 80 80 80 80 20 80 80 80 20 " + ToHex(std::vector{checksum}) +
                                        " 22 3F 07 00 00 03");
}

TEST(FrameEncoding, LinkResetIsABareSixteenByteFrameOnEitherLink)
{
    // Length 14 without the header-only flag: on a compact link the length still shrinks by
    // three, so no checksum byte travels after the header.
    struct Case {
        std::uint8_t linkMode;
        const char* expected;
    };
    const Case cases[] = {
        {LINK_SCRAMBLED, "02 39 20 82 80 C0 80 D6 B4 92 70 80 80 80 A0 03"},
        {LINK_COMPACT, "02 39 20 81 80 C0 80 D6 B4 92 70 80 80 80 A0 03"},
    };
    for (const Case& c : cases) {
        LinkState link(1);
        link.linkMode = c.linkMode;
        BusMessage reset;
        FillRequest(link, reset, 14, 0xA0000000, kModule, 0x00, 0, 0, 0x80, 0x80);
        EXPECT_EQ(Encoded(link, reset), c.expected) << int(c.linkMode);
    }
}

TEST(FillRequest, SetsFieldsAndModuleOperandBit)
{
    LinkState link(1);
    link.sequence = 42;
    link.linkMode = LINK_COMPACT;
    BusMessage m;
    m.bytes.fill(0xEE);
    FillRequest(link, m, 31, kTool, kModule, 0x30, 0x11223344, 0x55667788, 0xA0, 0x80);
    EXPECT_EQ(m.Length(), 31);
    EXPECT_EQ(m.LinkMode(), LINK_COMPACT);
    EXPECT_EQ(m.FrameFlags(), 0xA0);
    EXPECT_EQ(m.Kind(), 0x80);
    EXPECT_EQ(m.Destination(), kModule);
    EXPECT_EQ(m.Source(), kTool);
    EXPECT_EQ(m.Sequence(), 42);
    EXPECT_EQ(m.SeedLow(), 0);
    EXPECT_EQ(m.SeedHigh(), 0);
    EXPECT_EQ(m.Command(), 0x30);
    EXPECT_EQ(m.Operand1(), 0x11223344u);
    EXPECT_EQ(m.Operand2(), 0x55667788u);
    // Left alone for the encoder and the caller.
    EXPECT_EQ(m.Checksum(), 0xEE);
    EXPECT_EQ(m.AddressBits(), 0xEE);
    EXPECT_EQ(m.Data()[0], 0xEE);

    struct Case {
        std::uint8_t command;
        std::uint32_t destination;
        bool bitSet;
    };
    const Case cases[] = {
        {0x17, 0x70000001, true},  {0x18, 0x30000001, true},  {0x38, 0x50000001, true},
        {0x39, 0x80000001, true},  {0x57, 0x70000001, true},  {0x79, 0x70000001, true},
        {0x17, 0x20000001, false}, {0x38, 0x40000001, false}, {0x16, 0x70000001, false},
        {0x97, 0x70000001, false}, {0x3A, 0x70000001, false},
    };
    for (const Case& c : cases) {
        FillRequest(link, m, 27, kTool, c.destination, c.command, 0, 0x12, 0x81, 0x80);
        EXPECT_EQ(m.Operand2(), c.bitSet ? 0x40000012u : 0x12u) << std::hex << int(c.command) << " " << c.destination;
    }
}

// --- Decoding ---

// A frame as a peer would send it: the same encoder over the peer's own link state.
std::vector<std::uint8_t> PeerFrame(BusMessage message, std::uint8_t linkMode = LINK_SCRAMBLED)
{
    LinkState peer(99);
    peer.linkMode = linkMode;
    const EncodedFrame frame = EncodeFrame(peer, message);
    return {frame.Bytes().begin(), frame.Bytes().end()};
}

// A frame framed as is: checksum, folding, escaping, but no scrambling decision, so that
// kinds the tool's encoder would rewrite reach the decoder.
std::vector<std::uint8_t> PlainFrame(BusMessage message)
{
    StoreChecksum(message);
    FoldAddresses(message);
    EncodedFrame frame;
    WriteFrame(message, frame);
    return {frame.Bytes().begin(), frame.Bytes().end()};
}

BusMessage Answer(std::uint32_t destination, std::uint32_t source, std::uint8_t sequence, std::uint8_t kind = 0xC0,
                  std::uint8_t frameFlags = 0x80)
{
    BusMessage m;
    m.SetLength(31);
    m.SetLinkMode(LINK_SCRAMBLED);
    m.SetFrameFlags(frameFlags);
    m.SetKind(kind);
    m.SetDestination(destination);
    m.SetSource(source);
    m.SetSequence(sequence);
    m.SetCommand(0x81);
    m.SetOperand1(0xCAFE);
    m.SetOperand2(0x1234);
    m.Data()[0] = 0x02;
    m.Data()[3] = 0x3F;
    return m;
}

TEST(FrameDecoding, SequenceRuleAndUnitExemption)
{
    struct Case {
        const char* what;
        std::uint32_t destination;
        std::uint32_t source;
        std::uint8_t sequence;
        bool accepted;
    };
    const Case cases[] = {
        {"matching sequence", 0xA0000000, kModule, 7, true},
        {"other sequence from a module", 0xA0000000, kModule, 8, false},
        {"other sequence to a unit address", 0x20000000, kModule, 8, true},
        {"other sequence from a unit", 0xA0000000, 0x2FFFFFFF, 8, true},
        {"0x3 is not a unit", 0xA0000000, 0x30000000, 8, false},
    };
    for (const Case& c : cases) {
        LinkState link(1);
        link.sequence = 7;
        link.inSync = true;
        BusMessage out;
        const DecodeResult result = DecodeFrameChecked(link, PeerFrame(Answer(c.destination, c.source, c.sequence)), out);
        EXPECT_EQ(result, c.accepted ? DecodeResult::Accepted : DecodeResult::SequenceMismatch) << c.what;
        // The counter steps from its own value, not the received one.
        EXPECT_EQ(link.sequence, c.accepted ? 8 : 7) << c.what;
        EXPECT_EQ(link.inSync, c.accepted) << c.what;
    }
}

TEST(FrameDecoding, HeaderOnlyAnswerLeavesTheSessionAlone)
{
    LinkState link(1);
    link.sequence = 7;
    link.inSync = false;
    BusMessage busy = Answer(kTool, kModule, 3, 0x80, 0x80 | kFrameHeaderOnly | kFrameBusy);
    BusMessage out;
    ASSERT_EQ(DecodeFrameChecked(link, PeerFrame(busy), out), DecodeResult::Accepted);
    EXPECT_EQ(out.Length(), 14);
    EXPECT_TRUE(out.IsHeaderOnly());
    EXPECT_EQ(out.FrameFlags() & kFrameBusy, kFrameBusy);
    EXPECT_EQ(out.Destination(), kTool);
    EXPECT_EQ(out.Source(), kModule);
    EXPECT_EQ(link.sequence, 7);
    EXPECT_FALSE(link.inSync);
}

TEST(FrameDecoding, ChecksumFailureClearsInSync)
{
    LinkState link(1);
    link.sequence = 7;
    link.inSync = true;
    std::vector<std::uint8_t> frame = PeerFrame(Answer(kTool, kModule, 7));
    // Operand1's low byte 0xFE is a literal body byte: the body holds seedHigh, sequence,
    // checksum, seedLow, command, then operand1.
    ASSERT_EQ(frame[kFrameBodyOffset + 5], 0xFE);
    frame[kFrameBodyOffset + 5] = 0xFD;
    BusMessage out;
    EXPECT_EQ(DecodeFrameChecked(link, frame, out), DecodeResult::ChecksumMismatch);
    EXPECT_FALSE(link.inSync);
    EXPECT_EQ(link.sequence, 7);
}

TEST(FrameDecoding, InSyncFollowsKindBit7)
{
    LinkState link(1);
    link.inSync = true;
    BusMessage out;
    // A kind without bit 7 neither scrambles nor names a program; accepted, in-sync untouched.
    ASSERT_TRUE(DecodeFrame(link, PlainFrame(Answer(kTool, kModule, 0, 0x40)), out));
    EXPECT_TRUE(link.inSync);
    link.inSync = false;
    ASSERT_TRUE(DecodeFrame(link, PlainFrame(Answer(kTool, kModule, 1, 0x40)), out));
    EXPECT_FALSE(link.inSync);
    ASSERT_TRUE(DecodeFrame(link, PlainFrame(Answer(kTool, kModule, 2, 0xC0)), out));
    EXPECT_TRUE(link.inSync);
}

TEST(FrameDecoding, ProgramNumbersOutsideOneToSevenRunNothing)
{
    // Kinds 0xC8 and 0xDF carry plain payloads: no program may touch them.
    for (std::uint8_t kind : {std::uint8_t{0xC8}, std::uint8_t{0xDF}, std::uint8_t{0xC0}}) {
        LinkState link(1);
        BusMessage out;
        EXPECT_TRUE(DecodeFrame(link, PlainFrame(Answer(kTool, kModule, 0, kind)), out)) << std::hex << int(kind);
        EXPECT_EQ(out.Operand1(), 0xCAFEu);
    }
}

TEST(FrameDecoding, ProgramRunsBeforeSeedUnscrambling)
{
    // Kind 0x85 names program 5 and the seed permutation: the sender scrambles with the seed
    // first and runs the program last, so the decoder undoes the program first.
    LinkState link(1);
    link.multiplier = 0x1234;
    link.increment = 0x0567;
    BusMessage answer = Answer(kTool, kModule, 0);
    StoreChecksum(answer);
    SeedScramble(answer, 0x2ABC, link.multiplier, link.increment);
    RunProgram(answer.Payload(), link.programs.Forward(5), true, true, link.programs);
    answer.SetKind(0x85);
    FoldAddresses(answer);
    EncodedFrame frame;
    WriteFrame(answer, frame);
    BusMessage out;
    ASSERT_EQ(DecodeFrameChecked(link, frame.Bytes(), out), DecodeResult::Accepted);
    EXPECT_EQ(out.Operand1(), 0xCAFEu);
    EXPECT_TRUE(link.inSync);
}

TEST(FrameDecoding, KeyAnnouncementSetsTheKey)
{
    LinkState tool(5);
    tool.ownAddress = kTool;
    BusMessage announcement;
    BuildKeyAnnouncement(tool, announcement);
    announcement.SetDestination(0x20000001);  // a unit: no sequence check in the way
    const std::vector<std::uint8_t> frame = PeerFrame(announcement);

    LinkState other(6);
    BusMessage out;
    ASSERT_TRUE(DecodeFrame(other, frame, out));
    EXPECT_EQ(other.multiplier, tool.multiplier);
    EXPECT_EQ(other.increment, tool.increment);

    // The key is taken before the sequence check, so even a rejected one sets it.
    BuildKeyAnnouncement(tool, announcement);
    announcement.SetDestination(kModule);
    announcement.SetSource(0xA0000000);
    LinkState third(7);
    third.sequence = 3;
    EXPECT_EQ(DecodeFrameChecked(third, PeerFrame(announcement), out), DecodeResult::SequenceMismatch);
    EXPECT_EQ(third.multiplier, tool.multiplier);
    EXPECT_EQ(third.increment, tool.increment);
}

// Tokens straight into a frame: STX, the length word for the ETX offset, tokens, ETX.
std::vector<std::uint8_t> RawFrame(const std::vector<std::uint8_t>& tokens)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(tokens.size() + 4);
    frame = {kStx, 0, 0};
    frame.insert(frame.end(), tokens.begin(), tokens.end());
    WriteLe16(&frame[1], static_cast<std::uint16_t>(((frame.size() - 1) << 2) | 0x2001));
    frame.push_back(kEtx);
    return frame;
}

std::vector<std::uint8_t> HeaderTokens(std::uint8_t frameFlags = 0xA0)
{
    return {0x82, frameFlags, 0xC0, 0x80, 0x80, 0x80, 0x80, 0x20, 0x80, 0x80, 0x80, 0x70};
}

TEST(FrameDecoding, DecodedLengthLimitIsTheRecord)
{
    // Header-only frames take no body checks, so only the record limit decides.
    auto withBody = [](std::size_t bodyBytes) {
        std::vector<std::uint8_t> tokens = HeaderTokens();
        while (bodyBytes > 0) {
            const std::size_t n = std::min<std::size_t>(bodyBytes, 63);
            tokens.insert(tokens.end(), {kEscape, static_cast<std::uint8_t>(n), 0x11});
            bodyBytes -= n;
        }
        return RawFrame(tokens);
    };
    LinkState link(1);
    BusMessage out;
    const std::size_t room = kMaxMessageLength - BusMessage::kHeaderOnlyLength;
    ASSERT_TRUE(DecodeFrame(link, withBody(room), out));
    EXPECT_EQ(out.Length(), kMaxMessageLength);
    EXPECT_EQ(DecodeFrameChecked(link, withBody(room + 1), out), DecodeResult::Malformed);
    EXPECT_EQ(DecodeFrameChecked(link, withBody(5000), out), DecodeResult::Malformed);
}

TEST(FrameDecoding, CompactExpansionMustFitTheRecord)
{
    LinkState link(1);
    link.linkMode = LINK_COMPACT;
    std::vector<std::uint8_t> tokens = HeaderTokens(0x80);
    // 1225 decoded bytes: the expanded message would need 1230.
    std::size_t body = kMaxMessageLength - BusMessage::kHeaderOnlyLength;
    while (body > 0) {
        const std::size_t n = std::min<std::size_t>(body, 63);
        tokens.insert(tokens.end(), {kEscape, static_cast<std::uint8_t>(n), 0x00});
        body -= n;
    }
    BusMessage out;
    EXPECT_EQ(DecodeFrameChecked(link, RawFrame(tokens), out), DecodeResult::Malformed);
}

TEST(FrameDecoding, MalformedFramesAreRejected)
{
    std::vector<std::uint8_t> good = RawFrame(HeaderTokens());
    auto truncatedHeader = RawFrame({0x82, 0xA0, 0xC0, 0x80});
    auto escapeAtEnd = RawFrame([] { auto t = HeaderTokens(0x80); t.push_back(kEscape); return t; }());
    auto runWithoutByte = RawFrame([] { auto t = HeaderTokens(0x80); t.insert(t.end(), {kEscape, 0x05}); return t; }());
    auto claimsMore = good;
    WriteLe16(&claimsMore[1], static_cast<std::uint16_t>(((good.size() + 3) << 2) | 0x2001));
    auto tooLong = good;
    WriteLe16(&tooLong[1], static_cast<std::uint16_t>((1200 << 2) | 0x2001));
    tooLong.resize(1202, 0x11);

    struct Case {
        const char* what;
        std::vector<std::uint8_t> frame;
    };
    const Case cases[] = {
        {"shorter than six bytes", {0x02, 0x11, 0x20, 0x82, 0x03}},
        {"fewer than the twelve header bytes", truncatedHeader},
        {"escape without count", escapeAtEnd},
        {"run without its byte", runWithoutByte},
        {"length word past the bytes", claimsMore},
        {"longer than 1188 bytes", tooLong},
    };
    LinkState link(1);
    BusMessage out;
    ASSERT_TRUE(DecodeFrame(link, good, out));
    for (const Case& c : cases)
        EXPECT_EQ(DecodeFrameChecked(link, c.frame, out), DecodeResult::Malformed) << c.what;
}

TEST(FrameDecoding, ShortMessagesReadZerosNotStaleBytes)
{
    LinkState link(1);
    BusMessage out;
    out.bytes.fill(0x77);
    // 14 decoded bytes without the header-only flag: no payload, checksum 0 over nothing.
    ASSERT_TRUE(DecodeFrame(link, RawFrame(HeaderTokens(0x80)), out));
    EXPECT_EQ(out.Length(), 14);
    EXPECT_EQ(out.Command(), 0);
    EXPECT_EQ(out.Checksum(), 0);
    EXPECT_EQ(out.Operand2(), 0u);
}

// --- Round trips ---

struct RoundTripStats {
    int encoded = 0;
    int abandoned = 0;
};

void ExpectRoundTrip(std::uint8_t linkMode, std::uint32_t seed, RoundTripStats& stats)
{
    std::mt19937 random(seed);
    LinkState sender(seed);
    LinkState receiver(seed + 1);
    sender.linkMode = receiver.linkMode = linkMode;
    sender.multiplier = receiver.multiplier = random() & 0x7FFF;
    sender.increment = receiver.increment = random() & 0x7FFF;
    sender.sequence = static_cast<std::uint8_t>(random());
    // A compact header carries no sequence: it arrives as 0.
    receiver.sequence = linkMode == LINK_COMPACT ? 0 : sender.sequence;

    const bool headerOnly = random() % 10 == 0;
    const std::size_t length = headerOnly ? 14 : BusMessage::kHeaderLength + random() % (kMaxRequestLength - 17);
    const std::uint32_t source = testutil::RandomAddress(random);
    const std::uint32_t destination = testutil::RandomAddress(random);
    const std::uint8_t command = static_cast<std::uint8_t>(random());
    const std::uint8_t kind = (random() % 2) ? 0x80 : 0xC0;
    BusMessage message;
    FillRequest(sender, message, static_cast<std::uint16_t>(length), source, destination, command, random(), random(),
                headerOnly ? 0xA0 : 0x81, kind);
    testutil::FillStressBytes(random, message.Data(), BusMessage::kDataCapacity);
    if (random() % 8 == 0) {
        // Worst case for the escaping: every byte a two-byte token.
        for (std::size_t i = 0; i < BusMessage::kDataCapacity; ++i)
            message.Data()[i] = (i % 2) ? 0x02 : 0x03;
    }
    const BusMessage original = message;

    const EncodedFrame frame = EncodeFrame(sender, message);
    ASSERT_EQ(frame.status, kSendOk);
    if (frame.abandoned) {
        ++stats.abandoned;
        return;
    }
    ++stats.encoded;
    ASSERT_LE(frame.size, kMaxFrameLength);
    // Nothing between STX and ETX may look like either.
    for (std::size_t i = 1; i + 1 < frame.size; ++i)
        ASSERT_TRUE(frame.buffer[i] != kStx && frame.buffer[i] != kEtx) << "offset " << i;

    BusMessage out;
    ASSERT_EQ(DecodeFrameChecked(receiver, frame.Bytes(), out), DecodeResult::Accepted) << "seed " << seed;
    EXPECT_EQ(out.Destination(), original.Destination());
    EXPECT_EQ(out.Source(), original.Source());
    EXPECT_EQ(out.LinkMode(), original.LinkMode());
    EXPECT_EQ(out.FrameFlags(), original.FrameFlags());
    if (headerOnly) {
        EXPECT_EQ(out.Length(), 14);
        return;
    }
    EXPECT_EQ(out.Length(), original.Length());
    EXPECT_EQ(ToHex(out.Payload()), ToHex(original.Payload())) << "seed " << seed;
    if (linkMode == LINK_SCRAMBLED) {
        EXPECT_EQ(out.Sequence(), original.Sequence());
    }
}

TEST(FrameRoundTrip, RandomMessagesOnBothLinkModes)
{
    for (std::uint8_t linkMode : {LINK_SCRAMBLED, LINK_COMPACT}) {
        RoundTripStats stats;
        for (std::uint32_t seed = 1; seed <= 400; ++seed)
            ExpectRoundTrip(linkMode, seed * 2654435761u, stats);
        // The stress bytes are mostly runs, so most frames fit; both outcomes must occur.
        EXPECT_GT(stats.encoded, 300) << int(linkMode);
        EXPECT_GT(stats.abandoned, 0) << int(linkMode);
    }
}

TEST(FrameRoundTrip, AddressBitsFoldAndRestore)
{
    for (std::uint32_t address : {0x00000000u, 0x00808080u, 0x7F7F7F7Fu, 0xFFFFFFFFu, 0x70123456u, 0x90800001u}) {
        BusMessage m;
        m.SetDestination(address);
        m.SetSource(~address & 0x7FFFFFFF);
        FoldAddresses(m);
        EXPECT_EQ(m.Destination() & 0x808080u, 0x808080u);
        EXPECT_EQ(m.Source() & 0x808080u, 0x808080u);
        EXPECT_EQ(m.AddressBits() & 0xC0, 0x80);
        RestoreAddresses(m);
        EXPECT_EQ(m.Destination(), address);
        EXPECT_EQ(m.Source(), ~address & 0x7FFFFFFF);
    }
}

TEST(FrameRoundTrip, GarbageFramesStayInsideTheirBuffers)
{
    // The message sits between guard bytes; each frame is its own exact-size allocation, so
    // the sanitized build sees any read past it.
    struct Guarded {
        std::array<std::uint8_t, 64> before;
        BusMessage message;
        std::array<std::uint8_t, 64> after;
    };
    std::mt19937 random(2024);
    LinkState link(1);
    Guarded g;
    g.before.fill(0xA5);
    g.after.fill(0x5A);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        std::vector<std::uint8_t> frame(random() % 1300);
        for (auto& b : frame)
            b = (random() % 3 == 0) ? kEscape : static_cast<std::uint8_t>(random());
        if (frame.size() >= 3 && random() % 2) {
            // Often a believable length word, so decoding gets past the first check.
            WriteLe16(&frame[1], static_cast<std::uint16_t>(((frame.size() - 2) << 2) | 0x2001));
        }
        link.linkMode = (i % 2) ? LINK_SCRAMBLED : LINK_COMPACT;
        link.multiplier = random();
        if (DecodeFrame(link, frame, g.message)) {
            ++accepted;
            EXPECT_LE(g.message.Length(), kMaxMessageLength);
        }
    }
    for (std::uint8_t b : g.before)
        ASSERT_EQ(b, 0xA5);
    for (std::uint8_t b : g.after)
        ASSERT_EQ(b, 0x5A);
    EXPECT_GT(accepted, 0);  // header-only garbage does get through, as it should
}

}  // namespace
}  // namespace quorfw
