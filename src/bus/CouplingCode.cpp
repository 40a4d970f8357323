#include "bus/CouplingCode.h"

#include <algorithm>

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"
#include "bus/UnansweredBudget.h"

namespace quorfw {

namespace {

constexpr std::uint16_t kCouplingRequestLength = 43;
constexpr std::uint8_t kFlagsCoupling = 0x80;
constexpr std::uint32_t kCouplingModuleBits = 0x70000000;

std::uint32_t Byte(std::uint32_t value)
{
    return value & 0xFF;
}

}  // namespace

std::optional<std::array<std::uint8_t, kCouplingCodeSize>> DeriveCouplingCode(std::string_view unitSerial)
{
    if (unitSerial.size() < kSerialLength) {
        return std::nullopt;
    }
    std::array<std::uint32_t, kSerialLength> c{};
    for (std::size_t i = 0; i < kSerialLength; ++i) {
        c[i] = static_cast<unsigned char>(unitSerial[i]);
    }
    std::array<std::uint32_t, kCouplingCodeSize> k{};

    std::uint32_t x = (c[2] << 24) | (c[5] << 16) | (c[8] << 8) | c[11];
    const std::uint32_t p = c[0] * c[1];
    x ^= (p << 16) | p;
    k[0] = x >> 26;
    k[12] = Byte(x >> 4);
    k[2] = x >> 24;
    k[4] = Byte(x >> 16);
    k[6] = Byte(x >> 8);
    k[8] = Byte(x);

    x ^= (c[3] << 24) | (c[6] << 16) | (c[9] << 8) | c[12];
    k[1] = x >> 24;
    k[5] = Byte(x >> 16);
    k[9] = Byte(x >> 8);
    k[2] ^= x >> 26;
    k[4] ^= Byte(x >> 20);
    k[6] ^= Byte(x >> 12);
    k[8] ^= Byte(x >> 4);
    k[13] = Byte(x);

    x ^= (c[4] << 24) | (c[7] << 16) | (c[10] << 8) | c[13];
    k[3] = x >> 24;
    k[7] = Byte(x >> 16);
    k[11] = Byte(x >> 8);
    k[15] = Byte(x);

    std::array<std::uint8_t, kCouplingCodeSize> code{};
    for (std::size_t i = 0; i < kCouplingCodeSize; ++i) {
        code[i] = static_cast<std::uint8_t>(k[i]);
    }
    return code;
}

bool WriteCouplingCode(BusSession& session)
{
    const auto code = DeriveCouplingCode(session.unit.serial);
    if (!code) {
        return false;
    }
    UnansweredBudget budget(session);
    for (const ModuleInfo& module : session.modules) {
        if ((module.address & kCouplingModuleBits) == 0) {
            continue;
        }
        const bool accepted = budget.SendUntilAnswered(
            [&](BusMessage& request) {
                FillRequest(session.link, request, kCouplingRequestLength, session.link.ownAddress, module.address,
                            kCmdParameterWrite, kCouplingCodeParameter, 0, kFlagsCoupling, kKindSeedScrambled);
                std::copy(code->begin(), code->end(), request.Data());
            },
            [](std::uint8_t answer) { return answer == kAnsDone; });
        if (!accepted) {
            return false;
        }
    }
    return true;
}

}  // namespace quorfw
