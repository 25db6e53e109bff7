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

/// The checking mode's test of a resting point of propagation: recounts the board's index
/// (SolverBoard::checkInvariants), then runs every rule the propagation would run there,
/// once over every island of a copy, and aborts the program when one finds anything.
/// `extended` says whether the isolation rule belongs to the propagation that rests.
void checkRestingPoint(const SolverBoard& board, bool extended);

/// While one lives, the checking mode passes over the resting points of its thread: for
/// tests that edit a board's records by hand to reach a state no primitive makes, which
/// the recount would rightly report as broken.
class UncheckedRestingPoints {
  public:
    UncheckedRestingPoints();
    ~UncheckedRestingPoints();
    UncheckedRestingPoints(const UncheckedRestingPoints&) = delete;
    UncheckedRestingPoints& operator=(const UncheckedRestingPoints&) = delete;

  private:
    bool before_;
};

}  // namespace spanwright
