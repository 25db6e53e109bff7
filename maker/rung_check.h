#pragma once

// The maker's final word on how hard a made puzzle is: a candidate the quick sorting
// (quick_rating.h) passed is rated here by the stepwise explanation itself, which also
// gives its score. Both ask the same ladder (explain/ladder.h), so neither keeps rules of
// its own.

#include "explain/explain.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::maker {

using explain::Rung;

/// What the stepwise solver made of a puzzle when allowed rungs up to some highest one.
struct RungRating {
    bool solved = false;      ///< it finished the puzzle
    Rung level = Rung::Easy;  ///< the strongest rung a step needed
    double score = 0;         ///< the ladder's difficulty score
    Solution solution;        ///< when solved: the bridges it found
};

/// Solves `puzzle` stepwise with rungs up to `highest`. A puzzle needs exactly rung r when
/// the rating with highest r is solved at level r: the ladder takes the simplest step
/// first, so a step of rung r was taken only where no lower rung had one left, and the
/// solve with highest r - 1 stops there.
RungRating rateWithin(const Puzzle& puzzle, Rung highest);

/// Whether a puzzle the ladder solves at `level` may still have a second solution: true for
/// the rungs whose steps could rest on more than sound deduction, which the generator then
/// confirms with the exact solver.
bool rungLeavesDoubt(Rung level);

}  // namespace spanwright::maker
