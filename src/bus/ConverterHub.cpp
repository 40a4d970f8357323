#include "bus/ConverterHub.h"

#include "bus/CUSBD2xx.h"
#include "bus/TtyTransport.h"

namespace quorfw {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ConverterHub::~ConverterHub()
{
    Close();
}

std::unique_ptr<ConverterHub> ConverterHub::WithHardware(Clock& clock)
{
    auto hub = std::make_unique<ConverterHub>();
    (void)hub->Register(Kind::Ftdi, std::make_unique<CUSBD2xx>(clock));
    (void)hub->Register(Kind::Tty, std::make_unique<TtyTransport>(clock));
    return hub;
}

bool ConverterHub::Register(Kind kind, std::unique_ptr<Transport> transport)
{
    if (IsOpen()) {
        return false;
    }
    std::unique_ptr<Transport>& slot = kind == Kind::Ftdi ? ftdi_ : kind == Kind::Tty ? tty_ : simulated_;
    if (active_ == slot.get()) {
        active_ = nullptr;
    }
    slot = std::move(transport);
    return true;
}

ConverterHub::Kind ConverterHub::KindOfId(const std::string& id)
{
    if (StartsWith(id, "tty:")) {
        return Kind::Tty;
    }
    if (id == "sim" || StartsWith(id, "sim:")) {
        return Kind::Simulated;
    }
    return Kind::Ftdi;
}

Transport* ConverterHub::TransportOf(Kind kind) const
{
    switch (kind) {
    case Kind::Ftdi:
        return ftdi_.get();
    case Kind::Tty:
        return tty_.get();
    case Kind::Simulated:
        return simulated_.get();
    }
    return nullptr;
}

std::vector<std::string> ConverterHub::Enumerate()
{
    std::vector<std::string> ids;
    for (Kind kind : {Kind::Ftdi, Kind::Tty, Kind::Simulated}) {
        if (Transport* transport = TransportOf(kind)) {
            for (std::string& id : transport->Enumerate()) {
                ids.push_back(std::move(id));
            }
        }
    }
    return ids;
}

bool ConverterHub::Open(const std::string& id, std::uint32_t baud)
{
    if (IsOpen()) {
        return false;
    }
    active_ = TransportOf(KindOfId(id));
    return active_ != nullptr && active_->Open(id, baud);
}

void ConverterHub::Close()
{
    if (active_ != nullptr) {
        active_->Close();
    }
}

bool ConverterHub::IsOpen() const
{
    return active_ != nullptr && active_->IsOpen();
}

bool ConverterHub::Write(std::span<const std::uint8_t> bytes)
{
    return active_ != nullptr && active_->Write(bytes);
}

std::optional<std::vector<std::uint8_t>> ConverterHub::ReadFrame(std::uint32_t timeoutMs)
{
    if (active_ == nullptr) {
        return std::nullopt;
    }
    return active_->ReadFrame(timeoutMs);
}

}  // namespace quorfw
