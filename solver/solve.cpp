#include "solver/solve.h"

#include "solver/propagation.h"
#include "solver/trial_search.h"

namespace spanwright {

// Deduction first, a one-level trial only when deduction is stuck, and back to deduction
// after every settled trial. Each settled trial lays a bridge, so the loop ends.
bool solveBoard(SolveStats& stats, SolverBoard& board, bool draw, std::FILE* out) {
    SolverBoard workingCopy;
    return solveBoard(stats, board, workingCopy, draw, out);
}

bool solveBoard(SolveStats& stats, SolverBoard& board, SolverBoard& workingCopy, bool draw,
                std::FILE* out) {
    board.scanLines();
    return solveScannedBoard(stats, board, workingCopy, draw, out);
}

bool solveScannedBoard(SolveStats& stats, SolverBoard& board, SolverBoard& workingCopy, bool draw,
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
            if (!trialSearch(stats, board, workingCopy, scanPosition)) break;
            if (!propagateExtended(stats, board)) break;
        }
    }
    if (draw) drawBoard(board, out);
    // Solved is set only on a solved board, and nothing changes the board after that.
    return solved;
}

}  // namespace spanwright
