#include "bus/ModuleParameterCommands.h"

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/DeviceTypes.h"
#include "bus/FrameCodec.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kAttempts = 6;
constexpr std::uint32_t kRetryPauseMs = 50;
constexpr std::uint16_t kByteLength = 28;
constexpr std::uint16_t kWordLength = 31;
constexpr std::uint8_t kFlagsParameter = 0x80;
constexpr std::uint8_t kFlagsLastParameter = 0x82;

bool WriteParameter(BusSession& session, std::uint32_t address, std::uint32_t number, std::uint16_t length,
                    std::uint8_t frameFlags, std::uint32_t value)
{
    for (std::uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
        BusMessage request;
        FillRequest(session.link, request, length, kParameterWriteSource, address, kCmdParameterWrite, number, 0,
                    frameFlags, kKindPlain);
        if (length == kWordLength) {
            WriteLe32(request.Data(), value);
        } else {
            request.Data()[0] = static_cast<std::uint8_t>(value);
        }
        const BusMessage* answer = session.TransactTimed(request, 0, 50);
        if (answer != nullptr && answer->Command() == kAnsDone) {
            return true;
        }
        if (!session.IsOpen()) {
            return false;
        }
        session.clock().SleepMs(kRetryPauseMs);
    }
    return false;
}

}  // namespace

bool WriteModuleParameter(BusSession& session, std::uint32_t address, std::uint32_t number, std::uint8_t value,
                          bool lastOfSet)
{
    return WriteParameter(session, address, number, kByteLength, lastOfSet ? kFlagsLastParameter : kFlagsParameter,
                          value);
}

bool WriteModuleParameterWord(BusSession& session, std::uint32_t address, std::uint32_t value)
{
    return WriteParameter(session, address, kParameterWord, kWordLength, kFlagsParameter, value);
}

bool ApplySlotSettings(BusSession& session, std::uint8_t slot)
{
    return WriteBackSlotSettings(session, slot).has_value();
}

std::optional<bool> WriteBackSlotSettings(BusSession& session, std::uint8_t slot)
{
    if (slot >= BusSession::kModuleSlots) {
        return std::nullopt;
    }
    const ModuleInfo& module = session.modules[slot];
    if (module.present == 0 || module.type == kModuleTypeKeypad || module.settingsValid == 0) {
        return std::nullopt;
    }
    // Setting bytes hold parameters 208, 218, 270 and 256 in this order.
    const auto& bytes = module.settingBytes;
    bool acknowledged = WriteModuleParameter(session, module.address, kParameter270, bytes[2]);
    acknowledged = WriteModuleParameter(session, module.address, kParameter208, bytes[0]) && acknowledged;
    acknowledged = WriteModuleParameter(session, module.address, kParameter218, bytes[1]) && acknowledged;
    acknowledged = WriteModuleParameterWord(session, module.address, module.settingWord) && acknowledged;
    acknowledged = WriteModuleParameter(session, module.address, kParameter256, bytes[3], true) && acknowledged;
    return acknowledged;
}

}  // namespace quorfw
