#include "maker/rung_check.h"

#include "exact/exact_solver.h"
#include "generator/technique.h"
#include "solver/solve.h"

namespace spanwright::maker {
namespace {

/// Stand-in ladder until the stepwise solver lands: the fixed solver's techniques, one
/// rung each (basic, pair, isolation, trial), and what it cannot finish as the top rung.
RungRating rateWithFixedSolver(const Puzzle& puzzle, Rung highest) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    RungRating rating;
    if (!solveBoard(stats, board, false)) {
        rating.level = Rung::Extreme;
        if (highest != Rung::Extreme) return rating;
        exact::ExactResult exact = exact::solveExactly(puzzle);
        rating.solved = exact.verdict == exact::Verdict::Unique;
        if (rating.solved) rating.solution = std::move(exact.solutions.front());
        return rating;
    }
    rating.level = Rung(int(techniqueOf(stats)) + 1);
    rating.solved = int(rating.level) <= int(highest);
    if (rating.solved) rating.solution = solutionOf(board);
    return rating;
}

}  // namespace

RungRating rateWithin(const Puzzle& puzzle, Rung highest) {
    return rateWithFixedSolver(puzzle, highest);
}

bool rungLeavesDoubt(Rung level) {
    // Every step of the ladder is a deduction from the rules, so a finished solve is the
    // only solution; the top rung, which reasons furthest, is still confirmed exactly.
    return level == Rung::Extreme;
}

}  // namespace spanwright::maker
