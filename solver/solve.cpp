#include "solver/solve.h"

#include "solver/propagation.h"

namespace spanwright {

// Deduction first, a one-level trial only when deduction is stuck, and back to deduction
// after every settled trial. Each settled trial lays a bridge, so the loop ends.
bool solveBoard(SolveStats& stats, SolverBoard& board, bool draw, std::FILE* out) {
    TrialWorkspace trials;
    return solveBoard(stats, board, trials, draw, out);
}

bool solveBoard(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, bool draw,
                std::FILE* out) {
    board.scanLines();
    return solveScannedBoard(stats, board, trials, draw, out);
}

bool solveScannedBoard(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, bool draw,
                       std::FILE* out) {
    stats = SolveStats{};
    stats.interiorCells = (board.width - 2) * (board.height - 2);
    std::int32_t scanPosition = 0;

    bool solved = false;
    if (propagateExtended(stats, board)) {
        for (;;) {
            if (board.isSolved()) {
                solved = true;
                break;
            }
            if (!trialSearch(stats, board, trials, scanPosition)) break;
            if (trials.takeSettledBoard(stats, board)) continue;
            if (!propagateExtended(stats, board)) break;
        }
    }
    if (draw) drawBoard(board, out);
    // Solved is set only on a solved board, and nothing changes the board after that.
    return solved;
}

// A bridge leaves an island through the water cell beside it; the code of that cell says
// single or double, and the walk along it finds the far island.
Solution solutionOf(const SolverBoard& board) {
    Solution solution;
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

}  // namespace spanwright
