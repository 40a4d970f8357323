#include "bus/UnansweredBudget.h"

#include "bus/BusSession.h"

namespace quorfw {

bool UnansweredBudget::SendUntilAnswered(const std::function<void(BusMessage&)>& fill,
                                         const std::function<bool(std::uint8_t)>& accepts)
{
    while (left_ > 0) {
        BusMessage request;
        fill(request);
        const BusMessage* answer = session_.TransactTimed(request, 50, 50);
        if (answer != nullptr) {
            if (!accepts(answer->Command())) {
                return false;
            }
            session_.clock().SleepMs(kAfterAcceptedMs);
            return true;
        }
        --left_;
        if (!session_.IsOpen()) {
            return false;
        }
        session_.clock().SleepMs(kAfterUnansweredMs);
    }
    return false;
}

}  // namespace quorfw
