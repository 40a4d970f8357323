#include "sim/SimTransferReceiver.h"

#include <lzo/lzo1f.h>

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "bus/Crc8.h"
#include "common/LittleEndian.h"
#include "programming/CRC_32.h"

namespace quorfw {
namespace {

constexpr std::uint8_t kStart = 0x17;
constexpr std::uint8_t kBlock = 0x18;
constexpr std::uint8_t kEnd = 0x19;
constexpr std::uint8_t kCommit = 0x09;
constexpr std::uint8_t kAccepted = 0x82;
constexpr std::uint8_t kDone = 0x81;
constexpr std::uint8_t kRefused = 0x85;
constexpr std::uint8_t kCommitAnswer = 0xA4;
constexpr std::uint32_t kEndMarker = 420;
// The tool sets this bit in operand2 of starts and blocks to modules.
constexpr std::uint32_t kModuleOperandBit = 0x40000000;
constexpr std::size_t kCrc32Length = 4;

// Where the station's firmware expects its configuration area, by the generation of the
// version found there: checksum offset, start of the summed range, configuration area.
struct Layout {
    std::size_t checksum, sumStart, config;
};
constexpr std::array<Layout, 3> kLayouts{{{0x24, 0x28, 0x38}, {0x3C, 0x40, 0x50}, {0x1040, 0x1044, 0x1054}}};
constexpr std::size_t kSumEndWord = 0x20;
constexpr std::size_t kConfigArea = 4 + 388;
constexpr std::uint32_t kInformationLength = 404;

// Device container: 12-byte pack header, then the container with the BCD version here.
constexpr std::size_t kPackHeader = 12;
constexpr std::size_t kContainerVersionOffset = 1048584;

std::size_t LayoutIndexForVersion(std::uint32_t version)
{
    return version <= 5000000 ? 0 : version < 5050000 ? 1 : 2;
}

std::uint32_t WordSum(std::span<const std::uint8_t> bytes, std::size_t start, std::size_t end)
{
    std::uint32_t sum = 0;
    for (std::size_t pos = start; pos < end; pos += 4) {
        std::uint32_t word = 0;
        for (std::size_t i = 0; i < 4 && pos + i < bytes.size(); ++i)
            word |= static_cast<std::uint32_t>(bytes[pos + i]) << (8 * i);
        sum += word;
    }
    return sum;
}

// Where a patched module image keeps its information block: the configuration area of the
// layout its own version selects, with an intact checksum.
std::optional<std::size_t> ConfigurationOffset(std::span<const std::uint8_t> image)
{
    for (std::size_t i = 0; i < kLayouts.size(); ++i) {
        const Layout& layout = kLayouts[i];
        if (image.size() < layout.config + kConfigArea)
            continue;
        const std::uint8_t* info = &image[layout.config + 4];
        const std::uint32_t version = ReadLe32(info + 8);
        const std::size_t end = ReadLe32(&image[kSumEndWord]);
        if (ReadLe32(info) != kInformationLength || LayoutIndexForVersion(version) != i || end > image.size())
            continue;
        if (ReadLe32(&image[layout.checksum]) == WordSum(image, layout.sumStart, end))
            return layout.config + 4;
    }
    return std::nullopt;
}

std::uint32_t BcdToVersion(std::uint32_t bcd)
{
    std::uint32_t version = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const std::uint32_t byte = (bcd >> shift) & 0xFF;
        version = version * 100 + (byte >> 4) * 10 + (byte & 0xF);
    }
    return version;
}

std::optional<std::vector<std::uint8_t>> Decompress(std::span<const std::uint8_t> packed, std::size_t capacity)
{
    static const bool ready = lzo_init() == LZO_E_OK;
    if (!ready || packed.empty())
        return std::nullopt;
    std::vector<std::uint8_t> out(capacity);
    lzo_uint outLength = out.size();
    if (lzo1f_decompress_safe(packed.data(), packed.size(), out.data(), &outLength, nullptr) != LZO_E_OK)
        return std::nullopt;
    out.resize(outLength);
    return out;
}

SimTransferReceiver::Mode ModeFromName(std::string_view name)
{
    if (name.find("IE") != std::string_view::npos)
        return SimTransferReceiver::Mode::Unit;
    if (name.find("keypad") != std::string_view::npos)
        return SimTransferReceiver::Mode::Keypad;
    return SimTransferReceiver::Mode::Archive;
}

}  // namespace

std::optional<SimTransferReceiver::Answer> SimTransferReceiver::OnRequest(const BusMessage& request)
{
    switch (request.Command()) {
    case kStart: return OnStart(request);
    case kBlock: return OnBlock(request);
    case kEnd: return OnEnd(request);
    case kCommit: return OnCommit(request);
    default: return std::nullopt;
    }
}

void SimTransferReceiver::Abort()
{
    active_ = false;
}

std::optional<std::uint32_t> SimTransferReceiver::TakeVerifiedVersion()
{
    verified_ = false;
    return imageVersion_;
}

std::span<const std::uint8_t> SimTransferReceiver::Configuration() const
{
    if (!configurationOffset_)
        return {};
    return std::span<const std::uint8_t>(unpacked_).subspan(*configurationOffset_, kConfigArea - 4);
}

SimTransferReceiver::Answer SimTransferReceiver::OnStart(const BusMessage& request)
{
    ++counters_.starts;
    const auto data = request.DataBytes();
    const auto nul = std::find(data.begin(), data.end(), 0);
    active_ = false;
    if (nul == data.end() || data.size() != static_cast<std::size_t>(nul - data.begin()) + 1)
        return {kRefused};
    name_.assign(data.begin(), nul);
    mode_ = ModeFromName(name_);
    form_ = mode_ == Mode::Keypad ? Form::Keypad : Form::Unknown;
    announced_ = request.Operand1();
    transferType_ = request.Operand2() & ~kModuleOperandBit;
    received_.clear();
    unpacked_.clear();
    imageVersion_.reset();
    configurationOffset_.reset();
    compressed_ = deviceContainer_ = verified_ = false;
    nextBlock_ = 0;
    lastBlockOffset_ = lastBlockLength_ = 0;
    active_ = true;
    return {kAccepted};
}

bool SimTransferReceiver::DecideForm(const BusMessage& request)
{
    if (form_ != Form::Unknown)
        return true;
    const auto data = request.DataBytes();
    const std::uint32_t crc8 = request.Operand2() & ~kModuleOperandBit;
    const bool crc8Checked = mode_ != Mode::Archive;
    if (data.size() >= kCrc32Length) {
        const auto rest = data.subspan(kCrc32Length);
        if (ReadLe32(data.data()) == CRC_32::Checksum(rest) && (!crc8Checked || crc8 == Crc8(rest))) {
            form_ = Form::Standard;
            return true;
        }
    }
    form_ = Form::Keypad;
    return true;
}

bool SimTransferReceiver::BlockChecksOut(const BusMessage& request) const
{
    const auto data = request.DataBytes();
    const std::uint32_t operand2 = request.Operand2() & ~kModuleOperandBit;
    std::span<const std::uint8_t> block = data;
    if (form_ == Form::Standard) {
        if (data.size() < kCrc32Length)
            return false;
        block = data.subspan(kCrc32Length);
        if (ReadLe32(data.data()) != CRC_32::Checksum(block))
            return false;
    }
    // Unit and keypad transfers put the block's CRC-8 into operand2; archives put 0 there.
    const std::uint32_t expected = mode_ == Mode::Archive ? 0 : Crc8(block);
    return operand2 == expected;
}

bool SimTransferReceiver::TakeBlock(const BusMessage& request)
{
    auto data = request.DataBytes();
    if (form_ == Form::Standard)
        data = data.subspan(kCrc32Length);
    const std::size_t at = form_ == Form::Standard ? request.Operand1() : received_.size();
    const bool next = form_ == Form::Standard ? at == received_.size() : request.Operand1() == nextBlock_;
    const bool again = form_ == Form::Standard ? (at == lastBlockOffset_ && nextBlock_ > 0)
                                               : (nextBlock_ > 0 && request.Operand1() + 1 == nextBlock_);
    if (next) {
        if (received_.size() + data.size() > kMaxImageBytes)
            return false;
        lastBlockOffset_ = received_.size();
        lastBlockLength_ = data.size();
        received_.insert(received_.end(), data.begin(), data.end());
        ++nextBlock_;
        ++counters_.blocks;
        return true;
    }
    // The tool sends a block again when our answer was lost; it must be the same block.
    if (again && data.size() == lastBlockLength_ &&
        std::equal(data.begin(), data.end(), received_.begin() + static_cast<std::ptrdiff_t>(lastBlockOffset_))) {
        ++counters_.duplicateBlocks;
        return true;
    }
    return false;
}

SimTransferReceiver::Answer SimTransferReceiver::OnBlock(const BusMessage& request)
{
    const bool faulty = refuseBlock_ && *refuseBlock_ == nextBlock_;
    if (faulty)
        refuseBlock_.reset();
    if (!faulty && active_ && DecideForm(request) && BlockChecksOut(request) && TakeBlock(request))
        return {blockAnswer_};
    ++counters_.refusedBlocks;
    return {kRefused};
}

SimTransferReceiver::Answer SimTransferReceiver::OnEnd(const BusMessage& request)
{
    ++counters_.ends;
    if (!active_)
        return {kRefused};
    if (mode_ == Mode::Archive)
        return {request.Operand1() == kEndMarker ? kDone : kRefused};
    // A unit or keypad checks the whole image against the end's CRC-8 and takes it.
    if (received_.empty() || request.Operand1() != Crc8(received_))
        return {kRefused};
    if (!verified_) {
        unpacked_ = received_;
        verified_ = true;
    }
    return {kDone};
}

SimTransferReceiver::Answer SimTransferReceiver::OnCommit(const BusMessage& request)
{
    ++counters_.commits;
    const auto data = request.DataBytes();
    const bool nameMatches = std::string_view(reinterpret_cast<const char*>(data.data()), data.size()) == name_;
    const bool intact = active_ && mode_ == Mode::Archive && nameMatches && !received_.empty() &&
                        request.Operand2() == received_.size() && request.Operand1() == ~CRC_32::Checksum(received_);
    if (intact && !verified_)
        Unpack();
    return {kCommitAnswer, intact && verified_ ? 1u : 0u};
}

void SimTransferReceiver::Unpack()
{
    const std::span<const std::uint8_t> bytes = received_;
    if (bytes.size() >= kPackHeader && ReadLe32(&bytes[0]) == bytes.size() && ReadLe32(&bytes[4]) == 0) {
        const std::size_t containerLength = ReadLe32(&bytes[8]);
        const auto payload = bytes.subspan(kPackHeader);
        std::optional<std::vector<std::uint8_t>> container;
        if (payload.size() == containerLength)
            container.emplace(payload.begin(), payload.end());
        else if (containerLength <= kMaxImageBytes)
            container = Decompress(payload, containerLength);
        if (!container || container->size() != containerLength)
            return;  // not verified: the commit answers 0
        compressed_ = payload.size() != containerLength;
        deviceContainer_ = true;
        unpacked_ = std::move(*container);
        if (unpacked_.size() >= kContainerVersionOffset + 4)
            imageVersion_ = BcdToVersion(ReadLe32(&unpacked_[kContainerVersionOffset]));
        verified_ = true;
        return;
    }
    if (auto plain = Decompress(bytes, kMaxImageBytes)) {
        compressed_ = true;
        unpacked_ = std::move(*plain);
    } else {
        unpacked_ = received_;
    }
    configurationOffset_ = ConfigurationOffset(unpacked_);
    if (configurationOffset_)
        imageVersion_ = ReadLe32(&unpacked_[*configurationOffset_ + 8]);
    verified_ = true;
}

}  // namespace quorfw
