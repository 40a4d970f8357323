#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bus/ConverterHub.h"

namespace quorfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Records what reaches it; reopens on a closed write or read like a real transport.
class RecordingTransport final : public Transport {
public:
    RecordingTransport(std::vector<std::string> ids, std::uint8_t mark) : ids_(std::move(ids)), mark_(mark) {}

    std::vector<std::string> Enumerate() override { return ids_; }
    bool Open(const std::string& id, std::uint32_t baud) override
    {
        if (open_) {
            return false;
        }
        opened.push_back(id + "@" + std::to_string(baud));
        lastId_ = id;
        open_ = !opensFail;
        return open_;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Write(std::span<const std::uint8_t> bytes) override
    {
        if (!open_ && !Open(lastId_, 0)) {
            return false;
        }
        written.insert(written.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::optional<Bytes> ReadFrame(std::uint32_t) override { return Bytes{mark_}; }

    bool opensFail = false;
    std::vector<std::string> opened;
    Bytes written;

private:
    std::vector<std::string> ids_;
    std::uint8_t mark_;
    std::string lastId_;
    bool open_ = false;
};

class ConverterHubTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto ftdiOwned = std::make_unique<RecordingTransport>(std::vector<std::string>{"CT01", "0042"}, 1);
        auto ttyOwned = std::make_unique<RecordingTransport>(std::vector<std::string>{"tty:/dev/ttyUSB0"}, 2);
        auto simOwned = std::make_unique<RecordingTransport>(std::vector<std::string>{"sim"}, 3);
        ftdi = ftdiOwned.get();
        tty = ttyOwned.get();
        sim = simOwned.get();
        ASSERT_TRUE(hub.Register(ConverterHub::Kind::Simulated, std::move(simOwned)));
        ASSERT_TRUE(hub.Register(ConverterHub::Kind::Tty, std::move(ttyOwned)));
        ASSERT_TRUE(hub.Register(ConverterHub::Kind::Ftdi, std::move(ftdiOwned)));
    }

    ConverterHub hub;
    RecordingTransport* ftdi = nullptr;
    RecordingTransport* tty = nullptr;
    RecordingTransport* sim = nullptr;
};

TEST_F(ConverterHubTest, ListsFtdiThenTtyThenSimulated)
{
    EXPECT_EQ(hub.Enumerate(), (std::vector<std::string>{"CT01", "0042", "tty:/dev/ttyUSB0", "sim"}));
}

TEST_F(ConverterHubTest, RoutesEachIdToItsTransport)
{
    struct Case {
        const char* id;
        std::uint8_t mark;  // which transport answers
    };
    const Case cases[] = {
        {"tty:/dev/pts/3", 2}, {"sim", 3}, {"sim:demo.txt", 3}, {"simple", 1},
        {"CT0001", 1},         {"tty", 1}, {"0815", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(hub.Open(c.id, 115200));
        EXPECT_TRUE(hub.IsOpen());
        EXPECT_EQ(hub.ReadFrame(10), Bytes{c.mark});
        hub.Close();
        EXPECT_FALSE(hub.IsOpen());
    }
    EXPECT_EQ(sim->opened, (std::vector<std::string>{"sim@115200", "sim:demo.txt@115200"}));
}

TEST_F(ConverterHubTest, RefusesASecondOpenAndKeepsRoutingAfterClose)
{
    ASSERT_TRUE(hub.Open("tty:/dev/ttyUSB0", 57600));
    EXPECT_FALSE(hub.Open("CT01", 57600));
    EXPECT_TRUE(ftdi->opened.empty());

    // A closed converter is reopened by the transport it belongs to.
    hub.Close();
    EXPECT_TRUE(hub.Write(Bytes{9}));
    EXPECT_EQ(tty->written, Bytes{9});
    EXPECT_TRUE(hub.IsOpen());
    EXPECT_TRUE(ftdi->written.empty());
}

TEST_F(ConverterHubTest, FailedOpenStaysWithThatTransport)
{
    ftdi->opensFail = true;
    EXPECT_FALSE(hub.Open("CT01", 115200));
    EXPECT_FALSE(hub.IsOpen());
    EXPECT_FALSE(hub.Write(Bytes{1}));
    EXPECT_TRUE(tty->opened.empty());
    EXPECT_TRUE(sim->opened.empty());
}

TEST(ConverterHubEmpty, UnregisteredKindsAndNoOpenFail)
{
    ConverterHub hub;
    EXPECT_TRUE(hub.Enumerate().empty());
    EXPECT_FALSE(hub.Write(Bytes{1}));
    EXPECT_FALSE(hub.ReadFrame(10).has_value());
    EXPECT_FALSE(hub.Open("sim", 115200));
    EXPECT_FALSE(hub.IsOpen());
}

TEST_F(ConverterHubTest, NoRegistrationWhileOpen)
{
    ASSERT_TRUE(hub.Open("sim", 115200));
    EXPECT_FALSE(hub.Register(ConverterHub::Kind::Simulated,
                              std::make_unique<RecordingTransport>(std::vector<std::string>{}, 4)));
    EXPECT_EQ(hub.ReadFrame(10), Bytes{3});
}

}  // namespace
}  // namespace quorfw
