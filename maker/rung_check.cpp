#include "maker/rung_check.h"

#include <utility>

namespace spanwright::maker {

RungRating rateWithin(const Puzzle& puzzle, Rung highest) {
    explain::Options options;
    options.highest = highest;
    explain::Explanation explanation = explain::explainPuzzle(puzzle, options);
    RungRating rating;
    rating.solved = explanation.solved;
    rating.level = explanation.level;
    rating.score = explanation.score;
    rating.solution = std::move(explanation.solution);
    return rating;
}

bool rungLeavesDoubt(Rung level) {
    // Every step of the ladder is a deduction from the rules, a trial included (it keeps
    // only what a contradiction proves), so a finished solve is the only solution. The top
    // rung, which reasons furthest, is still confirmed exactly: a fault there would pass
    // off a puzzle with two solutions, and the check costs little next to finding one.
    return level == explain::SUPPOSING_RUNG;
}

}  // namespace spanwright::maker
