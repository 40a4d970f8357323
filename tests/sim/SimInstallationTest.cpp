#include "sim/SimInstallation.h"

#include <gtest/gtest.h>

#include "bus/FrameCodec.h"
#include "sim/SimFrameAssembler.h"
#include "tests/bus/BusSessionTestBench.h"

namespace quorfw {
namespace {

using sessiontest::SessionBench;

// A plain poll frame from the tool's default address, as the tool's encoder frames it.
std::vector<std::uint8_t> PollFrame(std::uint32_t destination)
{
    LinkState link(5);
    BusMessage m;
    FillRequest(link, m, 27, 0x20000000, destination, 0x22, 0, 0, 0x81, kKindPlain);
    const EncodedFrame f = EncodeFrame(link, m);
    return {f.Bytes().begin(), f.Bytes().end()};
}

TEST(SimFrameAssembler, CutsFramesFromPiecesAndSkipsNoise)
{
    const std::vector<std::uint8_t> frame = PollFrame(0x70123456);
    std::vector<std::uint8_t> stream = {0x55, 0x03, 0xFF};  // noise before the frame
    // An STX whose length word gives a total of 5: not a frame start.
    stream.insert(stream.end(), {0x02, 0x0D, 0x20});
    stream.insert(stream.end(), frame.begin(), frame.end());
    stream.insert(stream.end(), frame.begin(), frame.end());

    SimFrameAssembler ear;
    std::vector<std::vector<std::uint8_t>> frames;
    for (const std::uint8_t b : stream) {  // one byte at a time
        for (std::vector<std::uint8_t>& f : ear.Feed(std::span<const std::uint8_t>(&b, 1))) {
            frames.push_back(std::move(f));
        }
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frame);
    EXPECT_EQ(frames[1], frame);
    EXPECT_FALSE(ear.HasPartialFrame());

    // All at once gives the same.
    SimFrameAssembler whole;
    EXPECT_EQ(whole.Feed(stream), frames);
}

TEST(SimInstallation, AnswerArrivesAfterTheLineAndTheStationHaveTakenTheirTime)
{
    InstallationConfig config = InstallationConfig::Default();
    config.baud = 9600;
    config.processingMs = 3;
    config.modules[0].answerKind = kAnswerPlain;
    SimInstallation installation(config, 1);
    const std::vector<std::uint8_t> request = PollFrame(config.modules[0].address);
    // 10 bits a byte at 9600 baud: 1042 us a byte, rounded up per transfer.
    EXPECT_EQ(installation.WireUs(request.size()), (request.size() * 10 * 1'000'000 + 9599) / 9600);

    const std::uint64_t arrivedUs = installation.WireUs(request.size());
    installation.ReceiveFromTool(request, arrivedUs);
    ASSERT_TRUE(installation.NextArrivalUs().has_value());
    const std::uint64_t readyUs = *installation.NextArrivalUs();
    const std::uint64_t answerWireUs = readyUs - arrivedUs - 3000;
    // The answer frame (27-byte message, plain) is a whole number of bytes on the line.
    const std::size_t answerBytes = installation.ArrivedBytes(readyUs);
    ASSERT_GT(answerBytes, 16u);
    EXPECT_EQ(answerWireUs, installation.WireUs(answerBytes));
    EXPECT_EQ(installation.ArrivedBytes(readyUs - 1), 0u);

    // The converter's purge loses what has arrived, not what is still on the line.
    installation.DiscardArrived(readyUs - 1);
    EXPECT_EQ(installation.ArrivedBytes(readyUs), answerBytes);
    installation.DiscardArrived(readyUs);
    EXPECT_EQ(installation.ArrivedBytes(readyUs + 1'000'000), 0u);
}

TEST(SimInstallation, ConverterDeliversTheAnswerAtTheVirtualTimeItArrives)
{
    InstallationConfig config = InstallationConfig::Default();
    config.baud = 9600;
    SessionBench b(config);
    const std::vector<std::uint8_t> request = PollFrame(b.ModuleAddress(0));
    ASSERT_TRUE(b.converter.Write(request));
    const std::uint64_t readyUs = *b.installation->NextArrivalUs();
    const std::optional<std::vector<std::uint8_t>> frame = b.converter.ReadFrame(1000);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(b.clock.NowMs(), (readyUs + 999) / 1000);
    EXPECT_EQ(b.installation->Requests().size(), 1u);
}

TEST(SimInstallation, RestartedStationIsSilentThenAsksForANewKey)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    ASSERT_TRUE(b.installation->Module(0).KeyKnown());
    const std::uint64_t now = b.clock.NowMs();
    FaultRule restart;
    restart.type = FaultType::Restart;
    restart.station = b.ModuleAddress(0);
    restart.fromMs = now + 100;
    restart.untilMs = now + 600;
    b.installation->Faults().Add(restart);

    b.clock.SleepMs(200);  // down now
    BusMessage poll = b.Poll(b.ModuleAddress(0), kKindPlain);
    EXPECT_EQ(b.session.TransactTimed(poll, 0, 0), nullptr);
    EXPECT_EQ(b.installation->Events().back().type, SimEvent::Type::Silent);

    b.clock.SleepMs(600);  // back, without its key
    BusMessage again = b.Poll(b.ModuleAddress(0), kKindPlain);
    const BusMessage* answer = b.session.TransactTimed(again, 0, 0);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->Command(), 0x80);
    EXPECT_FALSE(b.installation->Module(0).KeyKnown());
    // A scrambled request cannot be read without the key: no answer at all.
    BusMessage scrambled = b.Poll(b.ModuleAddress(0), kKindSeedScrambled);
    EXPECT_EQ(b.session.TransactTimed(scrambled, 0, 0), nullptr);
    EXPECT_EQ(b.installation->Events().back().type, SimEvent::Type::Undecodable);

    std::vector<SimEvent::Type> windows;
    for (const SimEvent& e : b.installation->Events()) {
        if (e.type == SimEvent::Type::WindowBegins || e.type == SimEvent::Type::WindowEnds) {
            windows.push_back(e.type);
            EXPECT_EQ(e.station, b.ModuleAddress(0));
        }
    }
    EXPECT_EQ(windows, (std::vector<SimEvent::Type>{SimEvent::Type::WindowBegins, SimEvent::Type::WindowEnds}));
    // Another announcement brings it back.
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    BusMessage last = b.Poll(b.ModuleAddress(0));
    ASSERT_NE(b.session.TransactTimed(last, 0, 0), nullptr);
    EXPECT_EQ(last.Command(), 0x81);
}

TEST(SimInstallation, GarbageBeforeAnAnswerIsSkippedByTheConverter)
{
    SessionBench b;
    ASSERT_TRUE(b.session.AnnounceLinkKey(0));
    FaultRule garbage;
    garbage.type = FaultType::Garbage;
    garbage.count = 40;
    b.installation->Faults().Add(garbage);
    BusMessage poll = b.Poll(b.ModuleAddress(0));
    ASSERT_NE(b.session.TransactTimed(poll, 0, 50), nullptr);
    EXPECT_EQ(poll.Command(), 0x81);
}

TEST(SimInstallation, ConverterOpensInstallationFilesAndReportsBadOnes)
{
    sessiontest::HookedClock clock;
    SimConverter converter(clock);
    EXPECT_EQ(converter.Enumerate(), (std::vector<std::string>{"sim"}));
    EXPECT_FALSE(converter.Open("sim:/nonexistent.json", 115200));
    EXPECT_EQ(converter.OpenError(), "/nonexistent.json: cannot be opened");
    EXPECT_FALSE(converter.Open("tty:/dev/null", 115200));

    const char* source = std::getenv("QUORFW_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(converter.Open(std::string("sim:") + source + "/data/installation-default.json", 115200));
    ASSERT_NE(converter.Installation(), nullptr);
    EXPECT_EQ(converter.Installation()->Config(), InstallationConfig::Default());
    // Reopening the same id keeps the installation and what its stations have learned.
    const SimInstallation* first = converter.Installation().get();
    converter.Close();
    ASSERT_TRUE(converter.Open(std::string("sim:") + source + "/data/installation-default.json", 115200));
    EXPECT_EQ(converter.Installation().get(), first);
}

}  // namespace
}  // namespace quorfw
