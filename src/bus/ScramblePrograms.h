#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorfw {

// A scrambling program: up to 32 instruction words, ending at the first zero word.
inline constexpr std::size_t kProgramWords = 32;
// Programs are numbered 1..31; program n is entry n - 1 of a table.
inline constexpr std::size_t kProgramCount = 31;
// Answers name programs 1..7 in their kind byte; 8..31 exist only as (empty) call targets.
inline constexpr std::uint8_t kLastAnswerProgram = 7;

using ScrambleProgram = std::array<std::uint16_t, kProgramWords>;
using ProgramTable = std::array<ScrambleProgram, kProgramCount>;

// The modules' programs and their inverses, fixed for the life of a session.
struct ScramblePrograms {
    ProgramTable forward{};
    ProgramTable inverse{};

    const ScrambleProgram& Forward(std::size_t number) const { return forward[number - 1]; }
    const ScrambleProgram& Inverse(std::size_t number) const { return inverse[number - 1]; }
};

// Assembles forward programs 1-7 (11, 10, 13, 17, 10, 10 and 2 instructions; 8-31 empty)
// and derives every inverse with BuildInverseProgram.
[[nodiscard]] ScramblePrograms BuildScramblePrograms();

}  // namespace quorfw
