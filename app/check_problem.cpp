#include <chrono>

#include "app/check.h"
#include "solver/solve.h"

namespace spanwright {
namespace {

/// The bridges of a board that deduction solved, in the order of an exact solution: by
/// island row by row, its bridges to the right before those below.
exact::Solution solutionOfBoard(const SolverBoard& board) {
    exact::Solution solution;
    const int w = board.stride();
    board.forEachInterior([&](int pos) {
        if (board.cells[pos] < ISLAND_BASE) return;
        const int row = pos / w - 1;
        const int column = pos % w - 1;
        for (const int step : {1, w}) {
            const std::uint8_t code = board.cells[pos + step];
            const bool single = code == (step == 1 ? H_SINGLE : V_SINGLE);
            const bool twofold = code == (step == 1 ? H_DOUBLE : V_DOUBLE);
            if (!single && !twofold) continue;
            int end = pos + step;
            while (board.cells[end] == code)
                end += step;
            solution.push_back({row, column, end / w - 1, end % w - 1, twofold ? 2 : 1});
        }
    });
    return solution;
}

}  // namespace

ProblemCheck checkProblem(const Puzzle& puzzle) {
    const auto start = std::chrono::steady_clock::now();
    ProblemCheck check;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        check.islands += puzzle.cells[i] != 0;

    SolverBoard board;
    board.loadPuzzle(puzzle);
    check.deduced = solveBoard(check.stats, board, false);
    check.exact = exact::solveExactly(puzzle);
    // Deduction only ever lays bridges that every solution has, so a board it finishes
    // has exactly that one solution. Anything else is a fault in one of the two solvers.
    if (check.deduced)
        check.disagreement = check.exact.verdict != exact::Verdict::Unique ||
                             check.exact.solutions.front() != solutionOfBoard(board);

    check.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return check;
}

}  // namespace spanwright
