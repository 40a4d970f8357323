#include "sim/SimCommandSet.h"

#include <algorithm>
#include <utility>

#include "bus/BusCommandCodes.h"
#include "common/LittleEndian.h"
#include "sim/FaultPlan.h"
#include "sim/SimModule.h"
#include "sim/SimUnit.h"
#include "sim/StationLink.h"

namespace quorfw {

namespace {

// Data-block and template answers carry one byte at payload byte 9 before their data.
constexpr std::uint8_t kAnswerPadByte = 0;

BusMessage Answer(const BusMessage& request, std::uint8_t code, std::uint32_t operand1, std::uint32_t operand2,
                  std::span<const std::uint8_t> data = {})
{
    BusMessage answer;
    (void)StationLink::FillAnswer(request, answer, code, operand1, operand2, data);
    return answer;
}

// An answer whose data follows the byte at payload byte 9.
BusMessage PaddedAnswer(const BusMessage& request, std::uint8_t code, std::uint32_t operand1, std::uint32_t operand2,
                        std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> padded;
    padded.reserve(data.size() + 1);
    padded.push_back(kAnswerPadByte);
    padded.insert(padded.end(), data.begin(), data.end());
    return Answer(request, code, operand1, operand2, padded);
}

// The request's data: what follows the operands, less `trailer` bytes at the end.
std::vector<std::uint8_t> RequestData(const BusMessage& request, std::size_t trailer)
{
    const auto data = request.DataBytes();
    const std::size_t size = data.size() > trailer ? data.size() - trailer : 0;
    return std::vector<std::uint8_t>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
}

std::vector<std::uint8_t> SerialField(const std::string& serial)
{
    std::vector<std::uint8_t> field(SimModule::kSerialBytes, 0);
    std::copy_n(serial.begin(), std::min(serial.size(), field.size()), field.begin());
    return field;
}

std::vector<std::uint8_t> NulText(const std::string& text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::vector<SimStation*> BusOrder(SimUnit& unit, const std::vector<SimModule*>& modules)
{
    std::vector<SimStation*> stations{&unit};
    stations.insert(stations.end(), modules.begin(), modules.end());
    return stations;
}

std::vector<std::uint32_t> Addresses(const std::vector<SimModule*>& modules)
{
    std::vector<std::uint32_t> addresses;
    for (const SimModule* module : modules) {
        addresses.push_back(module->Address());
    }
    return addresses;
}

}  // namespace

SimCommandSet::SimCommandSet(SimUnit& unit, const std::vector<SimModule*>& modules, const FaultPlan& faults,
                             Transmit transmit, const SimStoreConfig* store)
    : unit_(unit),
      modules_(modules),
      faults_(faults),
      transmit_(std::move(transmit)),
      rollCall_(BusOrder(unit, modules)),
      store_(unit.Config().version)
{
    if (store != nullptr) {
        store_.Fill(*store, Addresses(modules));
    } else {
        store_.FillDemo(Addresses(modules));
    }
    RegisterUnit();
    for (SimModule* module : modules_) {
        RegisterModule(*module);
        // Keypads hold their codes as group-12 templates and acknowledge parts with 0x05.
        templateAnswer_[module->Address()] = module->IsKeypad() ? kAnsPartAccepted : kAnsDone;
    }
}

void SimCommandSet::RegisterUnit()
{
    unit_.Handle(kCmdIdentity, [this](const BusMessage& r) { return UnitIdentity(r); });
    unit_.Handle(kCmdInformationRead, [this](const BusMessage& r) { return UnitInformation(r); });
    unit_.Handle(kCmdDataBlockRead, [this](const BusMessage& r) { return DataBlockRead(r); });
    unit_.Handle(kCmdDataBlockWrite, [this](const BusMessage& r) { return DataBlockWrite(r); });
    unit_.Handle(kCmdParameterWrite, [this](const BusMessage& r) { return ParameterWrite(unit_, r); });
}

void SimCommandSet::RegisterModule(SimModule& module)
{
    module.Handle(kCmdIdentity, [this, &module](const BusMessage& r) { return ModuleIdentity(module, r); });
    if (!module.IsKeypad()) {
        module.Handle(kCmdInformationRead, [&module](const BusMessage& r) -> std::optional<BusMessage> {
            return Answer(r, kAnsInformation, r.Operand1(), 0, module.Information());
        });
    }
    module.Handle(kCmdTemplateRead, [this, &module](const BusMessage& r) { return TemplateRead(module, r); });
    module.Handle(kCmdTemplateWrite, [this, &module](const BusMessage& r) { return TemplateWrite(module, r); });
    module.Handle(kCmdParameterWrite, [this, &module](const BusMessage& r) { return ParameterWrite(module, r); });
}

bool SimCommandSet::OnHeader(const BusMessage& header, std::uint64_t arrivedUs)
{
    if (header.Source() == kToolAddressUnitHold && header.Destination() == unit_.Address()) {
        nextAnnounceUs_.reset();  // the tool has answered the unit's call
    }
    // The link reset carries no body; read as a request it would look like an empty key
    // announcement, so it is taken here and only noted.
    if (!header.IsHeaderOnly() && header.Length() == BusMessage::kHeaderOnlyLength &&
        header.FrameFlags() == kFlagsLinkReset && header.Source() == kToolAddressUnitHold) {
        linkResets_.push_back(header.Destination());
        return true;
    }
    if (!header.IsHeaderOnly()) {
        return false;
    }
    if (header.Destination() != 0) {
        if (header.FrameFlags() == kFlagsAcknowledge) {
            rollCall_.Acknowledged(header.Destination());
        }
        return false;
    }
    if (header.FrameFlags() == kFlagsRollCall) {
        rollCall_.Begin();
    } else if (header.FrameFlags() == kFlagsAcknowledge) {
        if (SimStation* station = rollCall_.Responder(header.LinkMode(), faults_, arrivedUs / 1000)) {
            SendHeaderOnly(*station, header.Source(), header.LinkMode(), arrivedUs);
        }
    }
    return true;
}

void SimCommandSet::SendHeaderOnly(SimStation& station, std::uint32_t to, std::uint8_t linkMode, std::uint64_t atUs)
{
    // A bare header from the station: accepted by the tool without checksum or sequence.
    BusMessage from;
    from.SetLinkMode(linkMode);
    from.SetSource(to);
    from.SetDestination(station.Address());
    const EncodedFrame frame = station.Link().EncodeHeaderOnly(from, 0);
    if (frame.status == kSendOk && !frame.abandoned) {
        transmit_(std::vector<std::uint8_t>(frame.Bytes().begin(), frame.Bytes().end()), atUs);
    }
}

void SimCommandSet::StartUnitAnnouncements(std::uint64_t nowUs)
{
    nextAnnounceUs_ = nowUs;
    Tick(nowUs);
}

void SimCommandSet::UnitRestarted(std::uint64_t nowUs)
{
    if (announceAfterRestart_) {
        StartUnitAnnouncements(nowUs);
    }
}

void SimCommandSet::Tick(std::uint64_t nowUs)
{
    if (!nextAnnounceUs_ || *nextAnnounceUs_ > nowUs) {
        return;
    }
    // Calls missed while nobody listened are not made up: one call, then the period again.
    SendHeaderOnly(unit_, kToolAddressUnitHold, LINK_SCRAMBLED, nowUs);
    nextAnnounceUs_ = nowUs + kAnnouncePeriodUs;
}

std::optional<BusMessage> SimCommandSet::UnitIdentity(const BusMessage& request)
{
    if (request.Operand1() != kIdentityOperand) {
        return std::nullopt;
    }
    const StationConfig& config = unit_.Config();
    return Answer(request, kAnsIdentity, config.version, config.hardwareCode, SerialField(config.serial));
}

std::optional<BusMessage> SimCommandSet::UnitInformation(const BusMessage& request)
{
    switch (request.Operand1()) {
    case kUnitInformationOperand:
        return Answer(request, kAnsInformation, kUnitInformationOperand, 0, unit_.Information());
    case kUnitExtraOperand:
        return Answer(request, kAnsInformation, kUnitExtraOperand, 0, unit_.ExtraBlock());
    default:
        return std::nullopt;
    }
}

std::uint8_t SimCommandSet::BlockAnswerCode(std::uint32_t selector) const
{
    const auto code = store_.blockAnswerCodes.find(selector);
    return code == store_.blockAnswerCodes.end() ? kAnsDataBlock : code->second;
}

std::optional<BusMessage> SimCommandSet::DataBlockRead(const BusMessage& request)
{
    const std::uint32_t block = request.Operand1();
    const std::uint32_t selector = request.Operand2();
    std::vector<std::uint8_t> data;
    usersBeingWritten_ = false;
    if (selector == 1 || selector == 5) {
        const std::size_t count = selector == 1 ? store_.users.size() : store_.log.size();
        const std::size_t first = std::min<std::size_t>(std::size_t{block} * store_.recordsPerPage, count);
        const std::size_t last = std::min(first + store_.recordsPerPage, count);
        for (std::size_t i = first; i < last; ++i) {
            const auto record = selector == 1 ? std::span<const std::uint8_t>(store_.users[i])
                                              : std::span<const std::uint8_t>(store_.log[i]);
            data.insert(data.end(), record.begin(), record.end());
        }
        return PaddedAnswer(request, BlockAnswerCode(selector), block, selector, data);
    }
    if (selector == 10) {
        // The unit hands out the next page whatever the tool asks for, and an empty page
        // at the end, after which it starts again.
        const std::size_t start = std::size_t{store_.nextPage} * SimUnitStore::kPageBytes;
        const std::uint32_t page = store_.nextPage;
        if (start >= SimUnitStore::kPageAreaBytes) {
            store_.nextPage = 0;
            return PaddedAnswer(request, kAnsDataBlock, page, 0, {});
        }
        const std::size_t size = std::min(SimUnitStore::kPageBytes, SimUnitStore::kPageAreaBytes - start);
        ++store_.nextPage;
        return PaddedAnswer(request, kAnsDataBlock, page, static_cast<std::uint32_t>(size),
                            std::span<const std::uint8_t>(store_.pageArea).subspan(start, size));
    }
    const auto found = store_.blocks.find(selector);
    if (found == store_.blocks.end()) {
        return Answer(request, kAnsRefused, 0, 0);
    }
    return PaddedAnswer(request, BlockAnswerCode(selector), block, selector, found->second);
}

std::optional<BusMessage> SimCommandSet::DataBlockWrite(const BusMessage& request)
{
    const std::uint32_t selector = request.Operand1();
    const std::uint32_t operand2 = request.Operand2();
    std::vector<std::uint8_t> data = RequestData(request, 1);
    blockWrites_.push_back({selector, operand2, data});
    bool stored = false;
    if (selector == 1) {
        const std::size_t size = store_.UserRecordBytes();
        if (data.size() == std::size_t{operand2} * size) {
            // The first batch of a run of user writes replaces the list; the rest extend it.
            if (!usersBeingWritten_) {
                store_.users.clear();
            }
            usersBeingWritten_ = true;
            for (std::size_t offset = 0; offset < data.size(); offset += size) {
                store_.users.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(offset),
                                          data.begin() + static_cast<std::ptrdiff_t>(offset + size));
            }
            stored = true;
        }
    } else if (selector == 10) {
        const std::uint64_t start = std::uint64_t{operand2} * SimUnitStore::kPageBytes;
        if (start + data.size() <= SimUnitStore::kPageAreaBytes) {
            std::copy(data.begin(), data.end(), store_.pageArea.begin() + static_cast<std::ptrdiff_t>(start));
            stored = true;
        }
    } else if (const auto readSelector = SimUnitStore::ReadSelectorOfWrite(selector);
               readSelector && store_.BlockBytes(*readSelector) == data.size()) {
        store_.blocks[*readSelector] = data;
        stored = true;
    }
    if (selector != 1) {
        usersBeingWritten_ = false;
    }
    return Answer(request, stored ? kAnsDone : kAnsRefused, selector, operand2);
}

std::optional<BusMessage> SimCommandSet::ParameterWrite(const SimStation& station, const BusMessage& request)
{
    parameterWrites_.push_back(
        {station.Address(), request.Source(), request.Operand1(), request.FrameFlags(), RequestData(request, 0)});
    if (&station == &unit_ && request.Operand1() == kUnitConfigurationOperand) {
        (void)unit_.TakeConfiguration(parameterWrites_.back().value);
    }
    return Answer(request, kAnsDone, request.Operand1(), 0);
}

std::optional<BusMessage> SimCommandSet::ModuleIdentity(const SimModule& module, const BusMessage& request)
{
    const StationConfig& config = module.Config();
    if (request.Operand1() == kIdentityOperand) {
        // Keypads give their serial number as a text, the others as the fixed field.
        const auto serial = module.IsKeypad() ? NulText(config.serial) : SerialField(config.serial);
        return Answer(request, kAnsIdentity, config.version, config.hardwareCode, serial);
    }
    if (request.Operand1() == kModuleNameOperand && !module.IsKeypad()) {
        return Answer(request, kAnsIdentity, 0, 0, NulText(config.name));
    }
    return std::nullopt;
}

std::optional<BusMessage> SimCommandSet::TemplateRead(const SimModule& module, const BusMessage& request)
{
    const std::uint32_t selector = request.Operand1();
    const std::uint32_t part = request.Operand2();
    const auto found = store_.templates.find({module.Address(), selector});
    const std::uint64_t start = std::uint64_t{part} * store_.templatePartBytes;
    if (found == store_.templates.end() || start >= found->second.size()) {
        return Answer(request, kAnsTemplate, selector, part);
    }
    const std::size_t size = std::min<std::size_t>(store_.templatePartBytes, found->second.size() - start);
    return PaddedAnswer(request, kAnsTemplate, selector, part,
                        std::span<const std::uint8_t>(found->second).subspan(start, size));
}

std::optional<BusMessage> SimCommandSet::TemplateWrite(const SimModule& module, const BusMessage& request)
{
    const std::uint32_t selector = request.Operand1();
    const std::uint32_t part = request.Operand2();
    std::vector<std::uint8_t> data = RequestData(request, 0);
    templateWrites_.push_back({module.Address(), selector, part, data});
    std::vector<std::uint8_t>& stored = store_.templates[{module.Address(), selector}];
    if (part == 0) {
        stored.clear();
    }
    stored.insert(stored.end(), data.begin(), data.end());
    return Answer(request, templateAnswer_[module.Address()], selector, part);
}

}  // namespace quorfw
