#pragma once

#include <cstdint>
#include <vector>

namespace quorfw {

// What the tool wrote into the simulated installation, as the stations understood it, so
// tests can assert exactly what went out.

// A parameter write (0x39): module parameters, the coupling code (460) and the unit
// configuration (operand1 0xFFFFFFFF to the unit).
struct SimParameterWrite {
    std::uint32_t station = 0;
    std::uint32_t source = 0;
    std::uint32_t number = 0;
    std::uint8_t frameFlags = 0;
    std::vector<std::uint8_t> value;
};

// A data-block or user write (0x20) to the unit.
struct SimBlockWrite {
    std::uint32_t selector = 0;
    std::uint32_t operand2 = 0;
    std::vector<std::uint8_t> data;
};

// One template part (0x2F) to a module.
struct SimTemplateWrite {
    std::uint32_t station = 0;
    std::uint32_t templateSelector = 0;
    std::uint32_t part = 0;
    std::vector<std::uint8_t> data;
};

}  // namespace quorfw
