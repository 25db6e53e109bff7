#include "render/answer_key.h"

#include "solver/solve.h"
#include "solver/solve_stats.h"

namespace spanwright {

std::vector<KeyBridge> bridgesOf(const SolverBoard& board) {
    std::vector<KeyBridge> bridges;
    const int w = board.stride();
    board.forEachInterior([&](int pos) {
        if (board.cells[pos] < ISLAND_BASE) return;
        const int row = pos / w - 1;
        const int column = pos % w - 1;
        // A bridge leaves an island through the water cell beside it; the code of that
        // cell says single or double, and the walk along it finds the far island.
        const std::uint8_t right = board.cells[pos + 1];
        if (right == H_SINGLE || right == H_DOUBLE) {
            int end = pos + 1;
            while (board.cells[end] == right)
                ++end;
            bridges.push_back({row, column, row, end % w - 1, right == H_SINGLE ? 1 : 2});
        }
        const std::uint8_t below = board.cells[pos + w];
        if (below == V_SINGLE || below == V_DOUBLE) {
            int end = pos + w;
            while (board.cells[end] == below)
                end += w;
            bridges.push_back({row, column, end / w - 1, column, below == V_SINGLE ? 1 : 2});
        }
    });
    return bridges;
}

KeySolution solveByDeduction(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    KeySolution solution;
    if (solveBoard(stats, board, false)) {
        solution.verdict = KeyVerdict::Unique;
        solution.bridges = bridgesOf(board);
    }
    return solution;
}

KeySolution findKeySolution(const Puzzle& puzzle, const SolutionSource& fallback) {
    KeySolution solution = solveByDeduction(puzzle);
    if (solution.verdict == KeyVerdict::Unique || !fallback) return solution;
    return fallback(puzzle);
}

}  // namespace spanwright
