#include "bus/PagedRead.h"

#include "bus/BusCommandCodes.h"
#include "bus/BusSession.h"

namespace quorfw {

namespace {

constexpr std::uint32_t kBudget = 3;
constexpr std::uint32_t kStepPauseMs = 80;

}  // namespace

bool RunPagedRead(BusSession& session, const PagedRead& read)
{
    std::uint32_t block = 0;
    std::uint32_t budget = kBudget;
    std::uint32_t received = 0;
    bool complete = false;
    while (true) {
        BusMessage request;
        read.fill(request, block);
        const BusMessage* answer = session.TransactTimed(request, 0, 50);
        if (answer != nullptr && answer->Command() == read.blockAnswer) {
            if (answer->Length() <= read.emptyLength) {
                complete = true;
                if (read.emptyCountsAsBlock) {
                    ++received;
                }
            } else {
                const auto payload = answer->Payload();
                const auto data = payload.size() > kDataBlockAnswerDataOffset - BusMessage::kHeaderLength
                                      ? payload.subspan(kDataBlockAnswerDataOffset - BusMessage::kHeaderLength)
                                      : std::span<const std::uint8_t>{};
                if (!read.take(data)) {
                    return false;
                }
                ++block;
                ++received;
                budget = kBudget;
            }
        } else if (answer != nullptr && answer->Command() == kAnsRefused) {
            return false;
        }
        session.clock().SleepMs(kStepPauseMs);
        if (complete || budget == 0) {
            break;
        }
        --budget;
    }
    return received > 0 && complete;
}

}  // namespace quorfw
