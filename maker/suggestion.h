#pragma once

// A way to make a puzzle with several solutions unique, for a constructor building one by
// hand: one island to add or one number to change, each tried by the exact search before
// it is offered.

#include <string>

#include "exact/exact_solver.h"
#include "puzzle/puzzle.h"

namespace spanwright::maker {

struct Suggestion {
    bool found = false;
    enum class Kind { Add, Change } kind = Kind::Add;
    int row = 0, column = 0;  ///< the cell, from 0
    int number = 0;           ///< the island's number there
    std::string reason;       ///< one sentence, cells counted from 1 as a player counts
};

/// Looks for a change that leaves exactly one solution of `puzzle`, whose exact search
/// found the two differing solutions of `several`. First an island splitting a bridge of
/// one solution that the other lacks, numbered so that the first solution still holds;
/// then one number changed at an island where the two differ; then the same on the other
/// bridges and islands. (An island elsewhere would need bridges from islands that are
/// full already: it leaves no solution.) Every candidate is solved exactly; the search
/// stops after `seconds` of CPU time (the calling thread's) with nothing found.
Suggestion suggestUnique(const Puzzle& puzzle, const exact::ExactResult& several, double seconds);

}  // namespace spanwright::maker
