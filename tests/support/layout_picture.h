#pragma once

// Hand-made generator layouts and scripted random draws, shared by the generator tests.

#include <cstdint>
#include <string>
#include <vector>

#include "generator/layout.h"

namespace spanwright {
namespace generator_testing {

/// Reference copies of the random step and of the mapping of a state to 0 .. n - 1,
/// independent of RandomSource.
std::int32_t modelStep(std::int32_t state);
std::int32_t modelMap(std::int32_t v, std::int32_t n);

/// One expected draw: drawBelow(bound) giving a value from least to most.
struct Draw {
    Draw(std::int32_t bound_, std::int32_t value) : bound(bound_), least(value), most(value) {}
    Draw(std::int32_t bound_, std::int32_t least_, std::int32_t most_)
        : bound(bound_), least(least_), most(most_) {}
    std::int32_t bound;
    std::int32_t least;
    std::int32_t most;
};

/// The smallest positive seed whose first draws are the given ones.
std::int32_t seedGiving(const std::vector<Draw>& draws);
/// How many draws the source made since it was seeded with seed; takes one more draw.
int drawsSince(RandomSource& source, std::int32_t seed);
/// Sets the board up for a square picture of the interior, rows separated by spaces, and
/// fills the layout from it: '.' empty, ',' reserved, '-' and '|' bridges, 'O' island,
/// '*' visited island.
void loadPicture(GeneratorBoard& board, RandomSource& source, const std::string& rows);
/// The interior of the layout in the symbols of loadPicture ('?' for any other code).
std::string picture(const GeneratorBoard& board);
/// Every broken layout invariant, one per line; empty when there is none. A finished
/// layout holds clue numbers and must also be connected.
std::string layoutFaults(const GeneratorBoard& board, bool finished);

}  // namespace generator_testing
}  // namespace spanwright
