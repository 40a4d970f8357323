#include "sim/SimConverter.h"

#include <utility>

#include "sim/InstallationFile.h"

namespace quorfw {

SimConverter::SimConverter(Clock& clock, std::uint64_t seed) : StreamTransport(clock), seed_(seed) {}

SimConverter::SimConverter(Clock& clock, std::shared_ptr<SimInstallation> installation)
    : StreamTransport(clock), seed_(installation ? installation->Seed() : 1)
{
    if (installation) {
        Attach(std::move(installation), kId);
    }
}

SimConverter::~SimConverter()
{
    Close();
}

void SimConverter::Attach(std::shared_ptr<SimInstallation> installation, std::string id)
{
    installation_ = std::move(installation);
    servedId_ = std::move(id);
    originMs_ = clock().NowMs();
}

bool SimConverter::OpenDevice(const std::string& id, std::uint32_t)
{
    if (installation_ && id == servedId_) {
        return true;
    }
    if (id == kId) {
        Attach(std::make_shared<SimInstallation>(InstallationConfig::Default(), seed_), id);
        return true;
    }
    const std::string prefix = kFilePrefix;
    if (id.size() <= prefix.size() || id.compare(0, prefix.size(), prefix) != 0) {
        openError_ = id + ": not a simulated converter";
        return false;
    }
    std::optional<InstallationConfig> config = InstallationFile::Load(id.substr(prefix.size()), openError_);
    if (!config) {
        return false;
    }
    openError_.clear();
    Attach(std::make_shared<SimInstallation>(*config, seed_), id);
    return true;
}

std::uint64_t SimConverter::NowUs()
{
    const std::uint64_t now = clock().NowMs();
    return (now >= originMs_ ? now - originMs_ : 0) * 1000;
}

std::optional<std::size_t> SimConverter::QueuedBytes()
{
    return installation_->ArrivedBytes(NowUs());
}

std::optional<std::size_t> SimConverter::ReadSome(std::span<std::uint8_t> into)
{
    return installation_->ReadArrived(NowUs(), into);
}

std::optional<std::size_t> SimConverter::WriteSome(std::span<const std::uint8_t> bytes)
{
    // The write returns at once; the stations have the bytes when the line has carried them.
    installation_->ReceiveFromTool(bytes, NowUs() + installation_->WireUs(bytes.size()));
    return bytes.size();
}

void SimConverter::PurgeBoth()
{
    installation_->DiscardArrived(NowUs());
}

}  // namespace quorfw
