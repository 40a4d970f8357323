#include "bus/LinkState.h"

namespace quorfw {

LinkState::LinkState() : LinkState(std::random_device{}()) {}

LinkState::LinkState(std::uint32_t randomSeed) : programs(BuildScramblePrograms()), random(randomSeed) {}

std::uint16_t LinkState::Random15()
{
    return static_cast<std::uint16_t>(random() & 0x7FFF);
}

std::uint32_t LinkState::RandomBelow(std::uint32_t bound)
{
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random);
}

}  // namespace quorfw
