#pragma once

#include <memory>
#include <string>

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "bus/ConverterHub.h"

namespace quorfw {

// The id the simulated installation is offered under.
inline constexpr const char* kCliSimulatedConverter = "sim";

// The machine's converters and, with --simulate, the built-in installation or the one
// described in the given file as converter "sim". Null with a reason when the file cannot
// be read.
[[nodiscard]] std::unique_ptr<ConverterHub> MakeCliConverterHub(const CliArguments& arguments, CliContext& context,
                                                                std::string& error);

}  // namespace quorfw
