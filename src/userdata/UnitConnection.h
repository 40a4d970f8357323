#pragma once

#include <functional>

namespace quorfw {

class ScanUpdateContext;

// The connecting steps that open every user-data operation: find the unit (listen for it,
// else scan the bus), announce the link key to the unit and its modules, identify the unit
// and show its row, and read the unit information block. `beforeInformation` and
// `afterInformation` (optional) run around that last read; the second only when it
// succeeded. True when the unit information could be read.
[[nodiscard]] bool ConnectToUnit(ScanUpdateContext& context, const std::function<void()>& beforeInformation = {},
                                 const std::function<void()>& afterInformation = {});

}  // namespace quorfw
