#include "render/answer_key.h"

#include "solver/solve.h"
#include "solver/solve_stats.h"

namespace spanwright {

KeySolution solveByDeduction(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    KeySolution solution;
    if (solveBoard(stats, board, false)) {
        solution.verdict = KeyVerdict::Unique;
        solution.bridges = solutionOf(board);
    }
    return solution;
}

KeySolution findKeySolution(const Puzzle& puzzle, const SolutionSource& fallback) {
    KeySolution solution = solveByDeduction(puzzle);
    if (solution.verdict == KeyVerdict::Unique || !fallback) return solution;
    return fallback(puzzle);
}

}  // namespace spanwright
