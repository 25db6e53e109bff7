#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "puzzle/solution.h"
#include "solver/board.h"
#include "solver/solve_stats.h"
#include "solver/trial_search.h"

namespace spanwright {

/// Solves a board fresh from loadPuzzle by deduction alone, counting the work in `stats`.
/// With `draw`, writes the final board to `out` before returning. True when solved.
bool solveBoard(SolveStats& stats, SolverBoard& board, bool draw, std::FILE* out = stdout);

/// The same with the trial search's workspace kept by the caller, so that solving one
/// board after another allocates nothing.
bool solveBoard(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, bool draw,
                std::FILE* out = stdout);

/// The same for a board already scanned (scanLines, or copyFrom and recodeIslands).
bool solveScannedBoard(SolveStats& stats, SolverBoard& board, TrialWorkspace& trials, bool draw,
                       std::FILE* out = stdout);

/// solveBoard for a program that bounds its whole work on a board: asks `stop` between
/// rounds (a propagation, a trial) and ends unsolved, with `stopped` set, once it says
/// true. Until then it does exactly what solveBoard does, to the counters.
bool solveBoardUntil(SolveStats& stats, SolverBoard& board, const std::function<bool()>& stop,
                     bool& stopped);

/// The bridges of a board that solveBoard finished, in the order of a Solution.
Solution solutionOf(const SolverBoard& board);

/// The board's interior in code page 932 full-width glyphs, one text line per row and an
/// empty line at the end.
std::string renderBoard(const SolverBoard& board);

/// Writes renderBoard to `out`.
void drawBoard(const SolverBoard& board, std::FILE* out = stdout);

}  // namespace spanwright
