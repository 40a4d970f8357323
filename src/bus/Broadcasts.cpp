#include "bus/Broadcasts.h"

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"

namespace quorfw {

namespace {

constexpr std::uint8_t kFlagsBroadcast = 0x80;
constexpr std::uint32_t kAfterEachMs = 100;
constexpr std::uint32_t kTextFlagA = 1;
constexpr std::uint32_t kTextFlagB = 0x10000000;
constexpr std::uint32_t kTextFlagBOperand2 = 0x80000000;
// The text, its 0 byte and the request head.
constexpr std::size_t kTextOverhead = 28;

void SendToEachModule(BusSession& session, std::uint8_t command, std::uint32_t operand1, std::uint32_t operand2)
{
    for (const ModuleInfo& module : session.modules) {
        if (module.present == 0) {
            continue;
        }
        BusMessage request;
        FillRequest(session.link, request, kBareRequestLength, session.link.ownAddress, module.address, command,
                    operand1, operand2, kFlagsBroadcast, kKindSeedScrambled);
        (void)session.SendFrame(request);
        session.clock().SleepMs(kAfterEachMs);
    }
}

}  // namespace

void RestartAllModules(BusSession& session)
{
    SendToEachModule(session, kCmdRestart, 0, kRestartOperand);
}

void BroadcastCommand35(BusSession& session)
{
    SendToEachModule(session, kCmd35, kCmd35Operand, 0);
}

void SendModuleText(BusSession& session, std::uint8_t slot, std::u16string_view text, bool flagA, bool flagB)
{
    if (slot >= BusSession::kModuleSlots || text.size() + kTextOverhead > kMaxRequestLength) {
        return;
    }
    const std::uint32_t operand1 = flagB ? kTextFlagB : (flagA ? kTextFlagA : 0);
    const std::uint32_t operand2 = flagB ? kTextFlagBOperand2 : 0;
    BusMessage request;
    FillRequest(session.link, request, static_cast<std::uint16_t>(text.size() + kTextOverhead),
                session.link.ownAddress, session.modules[slot].address, kCmdModuleText, operand1, operand2,
                kFlagsBroadcast, kKindSeedScrambled);
    std::uint8_t* data = request.Data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(text[i]);
    }
    data[text.size()] = 0;
    (void)session.TransactTimed(request, 0, 50);
}

}  // namespace quorfw
