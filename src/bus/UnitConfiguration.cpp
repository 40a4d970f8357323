#include "bus/UnitConfiguration.h"

#include <algorithm>

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"
#include "bus/FrameCodec.h"

namespace quorfw {

namespace {

constexpr std::uint16_t kRequestLength = kBareRequestLength + kUnitConfigurationBytes;
constexpr std::uint8_t kFlagsConfiguration = 0x81;
constexpr std::uint32_t kAttempts = 4;
constexpr std::uint32_t kUnansweredPauseMs = 80;
constexpr std::uint8_t kConfigurationFormat = 2;
constexpr std::size_t kExtraBlockOffset = 8;

static_assert(kRequestLength == 99);
static_assert(kExtraBlockOffset + BusSession::kUnitExtraBytes == kUnitConfigurationBytes);

}  // namespace

std::array<std::uint8_t, kUnitConfigurationBytes> UnitConfigurationData(const BusSession& session)
{
    const auto& information = session.unitInformation;
    std::array<std::uint8_t, kUnitConfigurationBytes> data{};
    data[0] = kConfigurationFormat;
    data[1] = information[82];
    data[2] = information[83];
    data[3] = information[81];
    data[4] = information[84];
    data[5] = 0;
    data[6] = information[90];
    data[7] = information[91];
    std::copy(session.unitExtraBlock.begin(), session.unitExtraBlock.end(), data.begin() + kExtraBlockOffset);
    return data;
}

bool WriteUnitConfiguration(BusSession& session)
{
    if (session.unit.present == 0) {
        return false;
    }
    const auto data = UnitConfigurationData(session);
    for (std::uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
        BusMessage request;
        FillRequest(session.link, request, kRequestLength, session.link.ownAddress, session.unit.address,
                    kCmdParameterWrite, kUnitConfigurationOperand, 0, kFlagsConfiguration, kKindSeedScrambled);
        std::copy(data.begin(), data.end(), request.Data());
        const BusMessage* answer = session.TransactTimed(request, 500, 50);
        if (answer != nullptr) {
            return answer->Command() == kAnsDone;
        }
        if (!session.IsOpen()) {
            return false;
        }
        session.clock().SleepMs(kUnansweredPauseMs);
    }
    return false;
}

}  // namespace quorfw
