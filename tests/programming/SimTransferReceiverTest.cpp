#include "sim/SimTransferReceiver.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "bus/Crc8.h"
#include "common/LittleEndian.h"
#include "programming/CRC_32.h"
#include "programming/DeviceContainer.h"
#include "programming/ImageCompression.h"
#include "programming/ImageConfigPatch.h"
#include "programming/TransferPlan.h"

namespace quorfw {
namespace {

BusMessage Request(std::uint8_t command, std::uint32_t op1, std::uint32_t op2, std::span<const std::uint8_t> data,
                   std::size_t extra = 0)
{
    BusMessage m;
    m.SetLength(static_cast<std::uint16_t>(27 + data.size() + extra));
    m.SetCommand(command);
    m.SetOperand1(op1);
    m.SetOperand2(op2);
    std::copy(data.begin(), data.end(), m.Data());
    return m;
}

BusMessage Start(const std::string& name, std::uint32_t blocks, std::uint32_t type = 0x40000000)
{
    std::vector<std::uint8_t> data(name.begin(), name.end());
    data.push_back(0);
    return Request(0x17, blocks, type, data);
}

BusMessage Block(const TransferPlan& plan, std::uint32_t number, std::size_t offset, std::uint32_t bit30 = 0x40000000)
{
    const BlockRequest b = PlanBlock(plan, number, offset);
    return Request(0x18, b.operand1, b.operand2 | bit30, b.data);
}

BusMessage Commit(const std::string& name, std::uint32_t crcRegister, std::uint32_t length)
{
    return Request(0x09, crcRegister, length, std::vector<std::uint8_t>(name.begin(), name.end()));
}

std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

std::uint8_t Code(SimTransferReceiver& r, const BusMessage& m)
{
    const auto answer = r.OnRequest(m);
    return answer ? answer->code : 0;
}

// Sends a whole archive the way the tool plans it and commits it.
std::optional<SimTransferReceiver::Answer> SendArchive(SimTransferReceiver& r, std::span<const std::uint8_t> image)
{
    const std::string name = "/tmp/update.tgz";
    const auto plan = PlanTransfer({image, name, 2, 0, 0x20000000}).value();
    EXPECT_EQ(Code(r, Start(name, plan.announcedBlocks)), 0x82);
    for (std::size_t offset = 0, n = 0; offset < image.size(); offset += plan.blockSize, ++n)
        EXPECT_EQ(Code(r, Block(plan, static_cast<std::uint32_t>(n), offset)), 0x82);
    EXPECT_EQ(Code(r, Request(0x19, 420, 0, {})), 0x81);
    return r.OnRequest(Commit(name, CRC_32::Register(image), static_cast<std::uint32_t>(image.size())));
}

TEST(SimTransferReceiver, RefusesBlocksThatDoNotCheckOut)
{
    const auto image = Noise(2000, 1);
    const auto plan = PlanTransfer({image, "/tmp/update.tgz", 2, 0, 0x20000000}).value();
    struct Case {
        const char* what;
        std::function<void(BusMessage&)> damage;
    } cases[] = {
        {"data byte", [](BusMessage& m) { m.Data()[10] ^= 1; }},
        {"CRC-32", [](BusMessage& m) { m.Data()[0] ^= 1; }},
        {"operand2 of an archive", [](BusMessage& m) { m.SetOperand2(0x40000001); }},
        {"offset ahead", [](BusMessage& m) { m.SetOperand1(1600); }},
    };
    for (const auto& c : cases) {
        SimTransferReceiver r;
        ASSERT_EQ(Code(r, Start("/tmp/update.tgz", 3)), 0x82);
        ASSERT_EQ(Code(r, Block(plan, 0, 0)), 0x82);
        BusMessage second = Block(plan, 1, 800);
        c.damage(second);
        EXPECT_EQ(Code(r, second), 0x85) << c.what;
        EXPECT_EQ(r.Received().size(), 800u) << c.what;
    }
}

TEST(SimTransferReceiver, KeypadBlocksCarryTheirCrc8AndARepeatedBlockIsTakenOnce)
{
    const auto image = Noise(700, 2);
    const auto plan = PlanTransfer({image, "keypad", 2, 0, 0x20000000}).value();
    SimTransferReceiver r;
    ASSERT_EQ(Code(r, Start("keypad", 2)), 0x82);
    EXPECT_EQ(Code(r, Block(plan, 0, 0)), 0x82);
    EXPECT_EQ(Code(r, Block(plan, 0, 0)), 0x82);  // our answer was lost; the tool sent it again
    BusMessage wrongCrc = Block(plan, 1, 512);
    wrongCrc.SetOperand2(wrongCrc.Operand2() ^ 1);
    EXPECT_EQ(Code(r, wrongCrc), 0x85);
    EXPECT_EQ(Code(r, Block(plan, 1, 512)), 0x82);
    EXPECT_EQ(r.Count().duplicateBlocks, 1u);
    EXPECT_EQ(r.LastForm(), SimTransferReceiver::Form::Keypad);

    EXPECT_EQ(Code(r, Request(0x19, plan.endOperand ^ 1, 0, {})), 0x85);
    EXPECT_FALSE(r.ImageVerified());
    EXPECT_EQ(Code(r, Request(0x19, plan.endOperand, 0, {})), 0x81);
    EXPECT_TRUE(r.ImageVerified());
    EXPECT_EQ(r.Unpacked(), plan.sentImage);
}

TEST(SimTransferReceiver, CommitChecksRegisterLengthAndName)
{
    const auto image = Noise(1000, 3);
    const std::string name = "/tmp/update.tgz";
    const auto plan = PlanTransfer({image, name, 2, 0, 0x20000000}).value();
    struct Case {
        const char* what;
        std::uint32_t reg, length;
        std::string name;
        std::uint32_t verified;
    } cases[] = {
        {"intact", CRC_32::Register(image), 1000, name, 1},
        {"final inversion applied", CRC_32::Checksum(image), 1000, name, 0},
        {"length", CRC_32::Register(image), 999, name, 0},
        {"name", CRC_32::Register(image), 1000, "/tmp/update.tg", 0},
    };
    for (const auto& c : cases) {
        SimTransferReceiver r;
        ASSERT_EQ(Code(r, Start(name, 2)), 0x82);
        ASSERT_EQ(Code(r, Block(plan, 0, 0)), 0x82);
        ASSERT_EQ(Code(r, Block(plan, 1, 800)), 0x82);
        const auto answer = r.OnRequest(Commit(c.name, c.reg, c.length));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->code, 0xA4) << c.what;
        EXPECT_EQ(answer->operand1, c.verified) << c.what;
        EXPECT_EQ(r.ImageVerified(), c.verified == 1) << c.what;
    }
}

TEST(SimTransferReceiver, UnpacksRawCompressedAndDeviceContainers)
{
    // A patched image of the second layout, so that its version can be read back.
    std::vector<std::uint8_t> image(6000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>((i % 50) < 20 ? i : 0x11);
    WriteLe32(&image[0x20], 6000);
    ModuleInfo module;
    ASSERT_TRUE(PatchImageConfig(image, 5040302, module, nullptr, 202401));

    SimTransferReceiver compressed;
    const PackedImage packed = CompressImage(image);
    ASSERT_TRUE(packed.compressed);
    EXPECT_EQ(SendArchive(compressed, packed.bytes).value().operand1, 1u);
    EXPECT_TRUE(compressed.WasCompressed());
    EXPECT_EQ(compressed.Unpacked(), image);
    EXPECT_EQ(compressed.ImageVersion(), 5040302u);

    SimTransferReceiver raw;
    EXPECT_EQ(SendArchive(raw, image).value().operand1, 1u);
    EXPECT_FALSE(raw.WasCompressed());
    EXPECT_EQ(raw.Unpacked(), image);
    EXPECT_EQ(raw.ImageVersion(), 5040302u);

    SimTransferReceiver device;
    const auto container = BuildDeviceContainer(image, 0x05040302, Noise(388, 4), {}).value();
    EXPECT_EQ(SendArchive(device, PackDeviceContainer(container)).value().operand1, 1u);
    EXPECT_TRUE(device.WasDeviceContainer());
    EXPECT_EQ(device.Unpacked(), container);
    EXPECT_EQ(device.ImageVersion(), 5040302u);
}

}  // namespace
}  // namespace quorfw
