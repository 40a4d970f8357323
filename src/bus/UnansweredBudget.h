#pragma once

#include <cstdint>
#include <functional>

#include "bus/BusMessage.h"

namespace quorfw {

class BusSession;

// Template and coupling-code writes go to several modules in turn with one shared budget of
// four unanswered attempts: an accepted answer moves on after 100 ms, any other answer ends
// the write, no answer is tried again after 400 ms.
class UnansweredBudget {
public:
    static constexpr std::uint32_t kUnanswered = 4;
    static constexpr std::uint32_t kAfterAcceptedMs = 100;
    static constexpr std::uint32_t kAfterUnansweredMs = 400;

    explicit UnansweredBudget(BusSession& session) : session_(session) {}

    // Sends the request `fill` builds, with TransactTimed(50, 50), until a module answers.
    // True when that answer is one `accepts` takes; false on another answer or when the
    // shared budget runs out.
    [[nodiscard]] bool SendUntilAnswered(const std::function<void(BusMessage&)>& fill,
                                         const std::function<bool(std::uint8_t)>& accepts);

private:
    BusSession& session_;
    std::uint32_t left_ = kUnanswered;
};

}  // namespace quorfw
