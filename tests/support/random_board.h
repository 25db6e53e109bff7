#pragma once

// Boards with at least one solution, made at random for the exact solver's tests and
// benchmark: islands are grown one from another along fresh bridges, so the bridges laid
// are a connected solution, and more bridges are added between islands that face each
// other. The numbers are what the islands got. Many such boards have other solutions too.
// Needs nothing but the puzzle record, so that the benchmarks can use it as well.

#include <random>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::testing {

/// A board of width x height with about `islands` islands (fewer where the board is full)
/// and a solution. `longest` is the longest bridge, in cells from island to island.
/// When `laid` is given, it receives the bridges laid, a solution of the board (in no
/// particular order).
Puzzle randomSolvableBoard(std::mt19937& random, int width, int height, int islands, int longest,
                           Solution* laid = nullptr);

/// A board of (2 side - 1) squared cells with an island on every other cell of every other
/// row, numbered by the degrees of a random spanning tree of that lattice: many solutions,
/// a long rating and a long exact search on a large board.
Puzzle spanningTreeLattice(std::mt19937& random, int side);

/// `puzzle` with the number of one island raised by one, where one is below 8.
void nudgeIsland(std::mt19937& random, Puzzle& puzzle);

}  // namespace spanwright::testing
