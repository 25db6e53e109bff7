#pragma once

#include <array>
#include <cstdint>

#include "solver/board.h"
#include "solver/solve_stats.h"

namespace spanwright {

/// Weight of a line state for finding islands with exactly two ways left to finish:
/// two weighed lines of 1 and two closed ones add up to 2; an open line rules it out.
inline constexpr std::array<std::int32_t, 4> TRIAL_LINE_WEIGHT = {0, 1, 1, 3};

/// The two directions of a trial: the first alternative and the second.
using Alternatives = std::array<std::int32_t, 2>;

/// The first island, cyclically from `start` in row-major order, that still needs bridges
/// and has exactly two lines that are not closed and not open; fills its two directions.
/// Returns 0 when there is none (cell 0 is border, never an island).
int findTrialCandidate(const SolverBoard& board, int start, Alternatives& alternatives);

/// Closes the island's line in direction dir with the largest count it allows.
void applyAlternative(SolverBoard& board, int pos, int dir);

/// Settles one candidate island by refuting one of its two alternatives on a working copy
/// and applying the other to the board. Returns false when no candidate can be settled.
/// `copy` is scratch space of any size and content; it is sized to the board only
/// when its size differs, so a caller that keeps it allocates nothing per call.
bool trialSearch(SolveStats& stats, SolverBoard& board, SolverBoard& copy,
                 std::int32_t& scanPosition);

/// The same with a working copy of its own.
bool trialSearch(SolveStats& stats, SolverBoard& board, std::int32_t& scanPosition);

}  // namespace spanwright
