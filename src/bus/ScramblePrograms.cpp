#include "bus/ScramblePrograms.h"

#include <initializer_list>

#include "bus/LinkScrambling.h"

namespace quorfw {
namespace {

// Programs are kept as (op, e, f) triples and assembled into words only when a session's
// tables are built.
struct Instruction {
    std::uint16_t op;
    std::uint8_t e;
    std::uint8_t f;
};

constexpr Instruction ByteStride(std::uint8_t stride) { return {kOpByteStride, stride, 0}; }
constexpr Instruction NibbleStride(std::uint8_t stride) { return {kOpNibbleStride, stride, 0}; }
constexpr Instruction Add(std::uint8_t e, std::uint8_t f) { return {kOpAdd, e, f}; }
constexpr Instruction Xor(std::uint8_t e, std::uint8_t f) { return {kOpXor, e, f}; }
constexpr Instruction Rotate(std::uint8_t e, std::uint8_t f) { return {kOpRotate, e, f}; }
constexpr Instruction Swap(std::uint8_t e, std::uint8_t f) { return {kOpSwap, e, f}; }
constexpr Instruction Call(std::uint8_t program) { return {kOpCall, program, 0}; }
constexpr Instruction Pause(std::uint8_t e, std::uint8_t f) { return {0, e, f}; }  // op 0: does nothing

ScrambleProgram Assemble(std::initializer_list<Instruction> instructions)
{
    ScrambleProgram program{};
    std::size_t at = 0;
    for (const Instruction& i : instructions)
        program[at++] = ProgramWord(i.op, i.e, i.f);
    return program;
}

ProgramTable ForwardPrograms()
{
    ProgramTable table{};
    table[0] = Assemble({ByteStride(3), Add(0, 0x5B), Xor(1, 0xA6), Rotate(2, 3), Swap(0, 2), NibbleStride(5),
                         Add(1, 0x09), Xor(4, 0x06), Rotate(0, 1), ByteStride(2), Swap(1, 0)});
    table[1] = Assemble({NibbleStride(3), Xor(0, 0x0C), Rotate(2, 2), Add(1, 0x07), ByteStride(5), Rotate(4, 5),
                         Add(2, 0xC3), Swap(3, 1), Xor(0, 0x39), Pause(0x11, 0x4E)});
    table[2] = Assemble({Add(0, 0x21), Xor(3, 0x95), ByteStride(7), Rotate(6, 6), Swap(0, 6), Add(3, 0xF1),
                         NibbleStride(2), Add(0, 0x0B), Swap(0, 1), ByteStride(1), Xor(0, 0x5A), Rotate(0, 4),
                         Add(0, 0x13)});
    table[3] = Assemble({ByteStride(4), Xor(0, 0xD2), Add(1, 0x3C), Rotate(2, 7), Swap(3, 0), Call(1),
                         NibbleStride(6), Rotate(5, 3), Xor(2, 0x09), Add(4, 0x0E), Swap(1, 4), ByteStride(3),
                         Add(2, 0x77), Rotate(1, 2), Xor(0, 0x81), Swap(2, 0), Add(0, 0x4D)});
    table[4] = Assemble({NibbleStride(7), Add(3, 0x05), Xor(6, 0x0A), Swap(0, 5), Rotate(1, 1), ByteStride(6),
                         Add(5, 0x99), Xor(1, 0x3E), Rotate(3, 1), Swap(4, 2)});
    table[5] = Assemble({ByteStride(2), Rotate(1, 5), Xor(0, 0x6C), NibbleStride(4), Swap(3, 0), Add(2, 0x0D),
                         ByteStride(8), Add(7, 0x2B), Xor(3, 0xE7), Rotate(5, 6)});
    // Program 7 calls program 4, whose own call is then not followed.
    table[6] = Assemble({Call(4), Xor(0, 0xB5)});
    return table;
}

}  // namespace

ScramblePrograms BuildScramblePrograms()
{
    ScramblePrograms programs;
    programs.forward = ForwardPrograms();
    for (std::size_t i = 0; i < kProgramCount; ++i)
        programs.inverse[i] = BuildInverseProgram(programs.forward[i]);
    return programs;
}

}  // namespace quorfw
