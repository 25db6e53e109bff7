#include "render/answer_key.h"

#include "puzzle/cpu_time.h"
#include "solver/solve.h"
#include "solver/solve_stats.h"

namespace spanwright {

KeySolution solveByDeduction(const Puzzle& puzzle, double cpuSeconds) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    KeySolution solution;
    const double end = threadCpuSeconds() + cpuSeconds;
    bool stopped = false;
    const bool solved =
        cpuSeconds > 0 ? solveBoardUntil(
                             stats, board, [end] { return threadCpuSeconds() >= end; }, stopped)
                       : solveBoard(stats, board, false);
    if (solved) {
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
