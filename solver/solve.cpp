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

namespace {

/// The solve itself; `stop` is asked between rounds and ends it unsolved when true. The
/// core program's solve never stops, so its rounds and counters are those of the loop alone.
template <typename Stop>
bool solveLoop(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, const Stop& stop) {
    stats = SolveStats{};
    stats.interiorCells = (board.width - 2) * (board.height - 2);
    std::int32_t scanPosition = 0;

    // The first propagation is about as costly as reading the board, and always runs.
    if (!propagateExtended(stats, board)) return false;
    for (;;) {
        // Solved is returned only on a solved board, and nothing changes the board after that.
        if (board.isSolved()) return true;
        if (stop() || !trialSearch(stats, board, trials, scanPosition)) return false;
        if (trials.takeSettledBoard(stats, board)) continue;
        // The first propagation is about as costly as reading the board, and always runs.
        if (!propagateExtended(stats, board)) return false;
    }
}

}  // namespace

bool solveScannedBoard(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, bool draw,
                       std::FILE* out) {
    const bool solved = solveLoop(stats, board, trials, [] { return false; });
    if (draw) drawBoard(board, out);
    return solved;
}

bool solveBoardUntil(SolveStats& stats, SolverBoard& board, const std::function<bool()>& stop,
                     bool& stopped) {
    TrialWorkspace trials;
    board.scanLines();
    stopped = false;
    return solveLoop(stats, board, trials, [&] { return stopped = stopped || stop(); });
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
