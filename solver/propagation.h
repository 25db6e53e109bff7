#pragma once

#include "solver/board.h"
#include "solver/solve_stats.h"

namespace spanwright {

/// Sweeps the island rule to a fixed point, then the pair rule once, and again until
/// neither changes anything. False when the board holds a contradiction.
bool propagateBasic(SolveStats& stats, SolverBoard& board);

/// Basic propagation and passes of the isolation rule in turn until neither changes
/// anything or the board is solved. False when a contradiction was found.
bool propagateExtended(SolveStats& stats, SolverBoard& board);

}  // namespace spanwright
