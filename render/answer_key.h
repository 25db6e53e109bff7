#pragma once

// Solutions for the answer key. Deduction settles nearly every generated problem; what it
// leaves is handed to a second source that can decide any board exhaustively.

#include <functional>

#include "puzzle/puzzle.h"
#include "render/sheet.h"
#include "solver/board.h"

namespace spanwright {

/// Anything that can answer for a puzzle: the exact solver, or a stand-in in tests.
using SolutionSource = std::function<KeySolution(const Puzzle&)>;

/// The deduction solver's answer: Unique with the bridges when it finishes the board,
/// Unknown when it stalls or finds a contradiction. Every step of deduction is forced, so
/// a finished board is the one solution there is. With `cpuSeconds` above 0, deduction
/// stops after that much CPU time, with Unknown: a large board's deduction alone can take
/// longer than a run's time limit allows.
KeySolution solveByDeduction(const Puzzle& puzzle, double cpuSeconds = 0);

/// Deduction first; when it does not finish, `fallback` decides, if there is one.
KeySolution findKeySolution(const Puzzle& puzzle, const SolutionSource& fallback);

}  // namespace spanwright
