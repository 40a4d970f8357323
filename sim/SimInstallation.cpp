#include "sim/SimInstallation.h"

#include <algorithm>
#include <utility>

#include "bus/FrameCodec.h"
#include "bus/StreamTransport.h"

namespace quorfw {

namespace {

// Each station gets its own dice for answer seeds, so one station's traffic does not
// shift another's.
std::uint32_t StationSeed(std::uint64_t seed, std::size_t index)
{
    SimRandom r = SimRandom(seed).Fork(index + 1);
    return static_cast<std::uint32_t>(r.Next());
}

constexpr std::uint64_t kFaultSalt = 0xFA;

}  // namespace

SimInstallation::SimInstallation(const InstallationConfig& config, std::uint64_t seed)
    : config_(config), seed_(seed), faults_(config.faults, SimRandom(seed).Fork(kFaultSalt).Next())
{
    std::vector<std::uint32_t> addresses;
    for (const StationConfig& m : config_.modules) {
        addresses.push_back(m.address);
    }
    unit_ = std::make_unique<SimUnit>(config_.unit, addresses, StationSeed(seed, 0));
    for (std::size_t i = 0; i < config_.modules.size(); ++i) {
        modules_.push_back(std::make_unique<SimModule>(config_.modules[i], StationSeed(seed, i + 1)));
    }
    std::vector<SimModule*> modules;
    for (const std::unique_ptr<SimModule>& m : modules_) {
        modules.push_back(m.get());
    }
    commands_ = std::make_unique<SimCommandSet>(*unit_, modules, faults_,
                                                [this](std::vector<std::uint8_t> frame, std::uint64_t sentUs) {
                                                    const std::uint64_t atUs = sentUs +
                                                                               std::uint64_t{config_.processingMs} * 1000 +
                                                                               WireUs(frame.size());
                                                    QueueToTool(std::move(frame), atUs);
                                                },
                                                config_.store ? &*config_.store : nullptr);
    firmware_ = std::make_unique<SimFirmwareUpdates>(*unit_, modules, faults_, config_.restartDownMs);
}

SimStation* SimInstallation::FindStation(std::uint32_t address)
{
    if (unit_->Address() == address) {
        return unit_.get();
    }
    for (const std::unique_ptr<SimModule>& m : modules_) {
        if (m->Address() == address) {
            return m.get();
        }
    }
    return nullptr;
}

std::uint64_t SimInstallation::WireUs(std::size_t bytes) const
{
    const std::uint64_t baud = std::max<std::uint64_t>(config_.baud, 1);
    return (static_cast<std::uint64_t>(bytes) * kBitsPerByte * 1'000'000 + baud - 1) / baud;
}

void SimInstallation::Log(const SimEvent& event)
{
    events_.push_back(event);
    while (events_.size() > eventLimit_) {
        events_.pop_front();
    }
}

void SimInstallation::ClearLogs()
{
    requests_.clear();
    events_.clear();
}

void SimInstallation::SetLogLimits(std::size_t requests, std::size_t events)
{
    requestLimit_ = requests;
    eventLimit_ = events;
    while (requests_.size() > requestLimit_) {
        requests_.pop_front();
    }
    while (events_.size() > eventLimit_) {
        events_.pop_front();
    }
}

void SimInstallation::AdvanceTo(std::uint64_t nowUs)
{
    if (nowUs < lastAdvanceUs_) {
        return;
    }
    lastAdvanceUs_ = nowUs;
    for (const FaultPlan::WindowEdge& edge : faults_.TakeEdges(nowUs / 1000)) {
        const FaultRule& rule = faults_.Rules()[edge.rule];
        const std::uint32_t station = rule.station.value_or(0);
        Log({edge.timeMs * 1000, edge.begins ? SimEvent::Type::WindowBegins : SimEvent::Type::WindowEnds, station, 0,
             static_cast<std::uint32_t>(edge.rule)});
        if (rule.type != FaultType::Restart || edge.begins) {
            continue;
        }
        // Back from the power cycle: every station the rule names has forgotten its key.
        if (faults_.AppliesTo(edge.rule, unit_->Address())) {
            unit_->Restart();
            commands_->UnitRestarted(edge.timeMs * 1000);
            firmware_->Restarted(*unit_, edge.timeMs);
        }
        for (const std::unique_ptr<SimModule>& m : modules_) {
            if (faults_.AppliesTo(edge.rule, m->Address())) {
                m->Restart();
                firmware_->Restarted(*m, edge.timeMs);
            }
        }
    }
    commands_->Tick(nowUs);
}

void SimInstallation::ReceiveFromTool(std::span<const std::uint8_t> bytes, std::uint64_t arrivedUs)
{
    AdvanceTo(arrivedUs);
    for (const std::vector<std::uint8_t>& frame : ear_.Feed(bytes)) {
        HandleFrame(frame, arrivedUs);
    }
}

void SimInstallation::HandleFrame(std::span<const std::uint8_t> frame, std::uint64_t arrivedUs)
{
    // Every station sees the header; only the addressed one reads further, so only it
    // learns a key announced to it.
    BusMessage header;
    if (!UnescapeFrame(frame, header)) {
        Log({arrivedUs, SimEvent::Type::Undecodable, 0, 0, static_cast<std::uint32_t>(DecodeResult::Malformed)});
        return;
    }
    RestoreAddresses(header);
    if (commands_->OnHeader(header, arrivedUs)) {
        return;  // roll call and scan polls (for every station), link resets
    }
    SimStation* station = FindStation(header.Destination());
    if (station == nullptr) {
        return;  // nobody at that address (broadcasts are answered by nobody yet)
    }
    const std::uint32_t address = station->Address();
    if (faults_.IsSilent(address, arrivedUs / 1000)) {
        Log({arrivedUs, SimEvent::Type::Silent, address, 0, 0});
        return;
    }
    BusMessage request;
    const DecodeResult decoded = station->Decode(frame, request);
    if (decoded != DecodeResult::Accepted) {
        Log({arrivedUs, SimEvent::Type::Undecodable, address, 0, static_cast<std::uint32_t>(decoded)});
        return;
    }
    const std::uint8_t command = request.IsHeaderOnly() ? 0 : request.Command();
    requests_.push_back({arrivedUs, address, request});
    while (requests_.size() > requestLimit_) {
        requests_.pop_front();
    }
    Log({arrivedUs, SimEvent::Type::Request, address, command, request.FrameFlags()});
    const std::optional<SimReply> reply = station->Respond(request, faults_);
    firmware_->ScheduleRestarts(arrivedUs);
    if (!reply) {
        Log({arrivedUs, SimEvent::Type::Unanswered, address, command, 0});
        return;
    }
    SendReply(*station, *reply, command, arrivedUs);
}

void SimInstallation::SendReply(SimStation& station, const SimReply& reply, std::uint8_t command,
                                std::uint64_t arrivedUs)
{
    const std::uint32_t address = station.Address();
    const EncodedFrame encoded = station.Encode(reply);
    if (encoded.status != kSendOk || encoded.abandoned) {
        Log({arrivedUs, SimEvent::Type::Unanswered, address, command, encoded.status});
        return;
    }
    std::vector<std::uint8_t> frame(encoded.Bytes().begin(), encoded.Bytes().end());
    const SimEvent::Type type = reply.kind == SimReply::Kind::Busy      ? SimEvent::Type::Busy
                                : reply.kind == SimReply::Kind::Refused ? SimEvent::Type::Refused
                                                                        : SimEvent::Type::Answer;
    const std::uint8_t code = reply.kind == SimReply::Kind::Full ? reply.message.Command() : 0;
    Log({arrivedUs, type, address, code, static_cast<std::uint32_t>(frame.size())});

    if (faults_.DropsAnswer(address, command)) {
        Log({arrivedUs, SimEvent::Type::Dropped, address, code, 0});
        return;
    }
    std::uint64_t atUs = arrivedUs + std::uint64_t{config_.processingMs} * 1000;
    if (const std::uint32_t count = faults_.GarbageBytes(address, command); count > 0) {
        std::vector<std::uint8_t> noise = Garbage(count);
        atUs += WireUs(noise.size());
        Log({atUs, SimEvent::Type::Garbage, address, code, count});
        QueueToTool(std::move(noise), atUs);
    }
    const FaultRule* foreignRule = nullptr;
    if (const std::uint32_t count = faults_.ForeignAnswers(address, command, &foreignRule);
        count > 0 && reply.kind == SimReply::Kind::Full) {
        const std::uint32_t foreign = foreignRule->address.value_or(reply.message.Source() ^ 1U);
        SimReply impostor = reply;
        impostor.message.SetSource(foreign);
        const EncodedFrame other = station.Encode(impostor);
        for (std::uint32_t i = 0; i < count && other.status == kSendOk && !other.abandoned; ++i) {
            atUs += WireUs(other.size);
            Log({atUs, SimEvent::Type::Foreign, address, code, foreign});
            QueueToTool(std::vector<std::uint8_t>(other.Bytes().begin(), other.Bytes().end()), atUs);
        }
    }
    if (const std::uint32_t count = faults_.CorruptedBytes(address, command); count > 0) {
        Corrupt(frame, count);
        Log({arrivedUs, SimEvent::Type::Corrupted, address, code, count});
    }
    atUs += WireUs(frame.size());
    QueueToTool(std::move(frame), atUs);
}

std::vector<std::uint8_t> SimInstallation::Garbage(std::uint32_t count)
{
    // Line noise that the converter's hunt for STX must skip; an STX in it would start a
    // bogus frame and swallow the answer, which is another fault.
    std::vector<std::uint8_t> noise(count);
    for (std::uint8_t& b : noise) {
        do {
            b = static_cast<std::uint8_t>(faults_.Random().Below(256));
        } while (b == StreamTransport::kStx);
    }
    return noise;
}

void SimInstallation::Corrupt(std::vector<std::uint8_t>& frame, std::uint32_t count)
{
    // Damage lands inside the frame (never STX, the length word or ETX), in the body when
    // there is one, so that the tool sees a frame that fails its checks rather than none.
    const std::size_t bodyStart = frame.size() > kHeaderOnlyFrameLength ? kFrameBodyOffset : 3;
    if (frame.size() < bodyStart + 2) {
        return;
    }
    const std::size_t span = frame.size() - 1 - bodyStart;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = bodyStart + faults_.Random().Below(static_cast<std::uint32_t>(span));
        frame[at] ^= static_cast<std::uint8_t>(1 + faults_.Random().Below(255));
    }
}

void SimInstallation::QueueToTool(std::vector<std::uint8_t> bytes, std::uint64_t readyUs)
{
    LineChunk chunk{readyUs, std::move(bytes), 0};
    // Keep the line in arrival order; equal times keep the order they were sent in.
    const auto at = std::upper_bound(line_.begin(), line_.end(), readyUs,
                                     [](std::uint64_t t, const LineChunk& c) { return t < c.readyUs; });
    line_.insert(at, std::move(chunk));
}

void SimInstallation::InjectToTool(std::vector<std::uint8_t> bytes, std::uint64_t atUs)
{
    QueueToTool(std::move(bytes), atUs);
}

std::size_t SimInstallation::ArrivedBytes(std::uint64_t nowUs)
{
    AdvanceTo(nowUs);
    std::size_t count = 0;
    for (const LineChunk& c : line_) {
        if (c.readyUs > nowUs) {
            break;
        }
        count += c.bytes.size() - c.taken;
    }
    return count;
}

std::size_t SimInstallation::ReadArrived(std::uint64_t nowUs, std::span<std::uint8_t> into)
{
    AdvanceTo(nowUs);
    std::size_t got = 0;
    while (got < into.size() && !line_.empty() && line_.front().readyUs <= nowUs) {
        LineChunk& c = line_.front();
        const std::size_t n = std::min(into.size() - got, c.bytes.size() - c.taken);
        std::copy_n(c.bytes.begin() + static_cast<std::ptrdiff_t>(c.taken), n, into.begin() + static_cast<std::ptrdiff_t>(got));
        c.taken += n;
        got += n;
        if (c.taken == c.bytes.size()) {
            line_.pop_front();
        }
    }
    return got;
}

void SimInstallation::DiscardArrived(std::uint64_t nowUs)
{
    AdvanceTo(nowUs);
    while (!line_.empty() && line_.front().readyUs <= nowUs) {
        line_.pop_front();
    }
}

std::optional<std::uint64_t> SimInstallation::NextArrivalUs() const
{
    if (line_.empty()) {
        return std::nullopt;
    }
    return line_.front().readyUs;
}

}  // namespace quorfw
