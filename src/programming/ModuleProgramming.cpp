#include "programming/ModuleProgramming.h"

#include <vector>

#include "bus/Broadcasts.h"
#include "bus/BusSession.h"
#include "bus/DeviceTypes.h"
#include "packages/PackageContainer.h"
#include "packages/VersionNumber.h"
#include "programming/DeviceContainer.h"
#include "programming/FirmwareTransfer.h"
#include "programming/ImageCompression.h"
#include "programming/ImageConfigPatch.h"
#include "programming/TransferPlan.h"

namespace quorfw {
namespace {

constexpr std::string_view kKeypadName = "keypad";
constexpr std::string_view kArchiveName = "/tmp/update.tgz";

// The device container carries the package's settings block as it is, merged or not.
std::optional<std::vector<std::uint8_t>> DeviceSettings(const BusSession& session)
{
    std::vector<std::uint8_t> plain;
    if (session.settingsTemplate == nullptr || !DecryptPackageData(*session.settingsTemplate, plain))
        return std::nullopt;
    return plain;
}

// Turns the patched image into what the module receives; nothing when it cannot be wrapped.
std::optional<std::vector<std::uint8_t>> PackModuleImage(const BusSession& session, std::vector<std::uint8_t> image,
                                                         std::uint32_t version, bool deviceFlag)
{
    if (deviceFlag) {
        const auto settings = DeviceSettings(session);
        if (!settings)
            return std::nullopt;
        const std::span<const std::string> values =
            session.deviceValues != nullptr ? std::span<const std::string>(*session.deviceValues)
                                            : std::span<const std::string>{};
        const auto container = BuildDeviceContainer(image, VersionToBcd(version), *settings, values);
        if (!container)
            return std::nullopt;
        return PackDeviceContainer(*container);
    }
    if (version >= kFirstCompressedVersion)
        return CompressImage(image).bytes;
    return image;
}

}  // namespace

int ProgramModule(BusSession& session, std::span<const std::uint8_t> encryptedImage, std::uint32_t version,
                  std::uint8_t slot, bool deviceFlag)
{
    session.progress.store(0);
    if (slot >= BusSession::kModuleSlots)
        return kProgramTransferFailed;  // no such module: nothing can be sent
    ModuleInfo& module = session.modules[slot];
    module.restartPending = 0;
    const bool keypad = module.type == kModuleTypeKeypad;

    std::vector<std::uint8_t> image;
    if (!DecryptPackageData(encryptedImage, image))
        return kProgramImageUnusable;

    std::string_view name = kKeypadName;
    if (!keypad) {
        name = kArchiveName;
        if (!PatchImageConfig(session, image, version, slot))
            return kProgramImageUnusable;
        auto packed = PackModuleImage(session, std::move(image), version, deviceFlag);
        if (!packed)
            return kProgramImageUnusable;
        image = std::move(*packed);
    }

    if (!TransferImage(session, image, name, slot))
        return kProgramTransferFailed;

    SendModuleText(session, slot, u" ", true, deviceFlag);
    module.restartPending = 1;
    return kProgramOk;
}

int UpdateModule(BusSession& session, std::span<const std::uint8_t> encryptedImage, std::string_view versionText,
                 std::uint8_t slot, bool deviceFlag)
{
    if (encryptedImage.empty())
        return kProgramEmptyImage;
    const std::uint64_t startMs = session.clock().NowMs();
    const int code = ProgramModule(session, encryptedImage, VersionToInt(versionText), slot, deviceFlag);
    session.transferDuration = static_cast<std::uint32_t>(session.clock().NowMs() - startMs);
    return code;
}

}  // namespace quorfw
