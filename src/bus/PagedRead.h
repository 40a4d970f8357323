#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "bus/BusMessage.h"

namespace quorfw {

class BusSession;

// The paged read that user lists, access logs and templates share: block after block until
// the station answers one with nothing in it, a budget of three unanswered steps between
// two blocks, an immediate end on a refusal.
struct PagedRead {
    // Fills the request of block `block`.
    std::function<void(BusMessage& request, std::uint32_t block)> fill;
    // The answer code that carries a block.
    std::uint8_t blockAnswer = 0;
    // An answer of this length or less carries nothing.
    std::uint16_t emptyLength = 0;
    // Whether the empty final answer counts as a received block (user lists: an empty list
    // is a list).
    bool emptyCountsAsBlock = false;
    // Takes the data of a block (everything after payload byte 9); false ends the read
    // with failure.
    std::function<bool(std::span<const std::uint8_t> data)> take;
};

// True when at least one block was received and the final, empty answer came.
[[nodiscard]] bool RunPagedRead(BusSession& session, const PagedRead& read);

}  // namespace quorfw
