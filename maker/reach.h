#pragma once

// Whether a request is in reach, and what is when it is not: the island share nearest the
// one asked at which its rung is met, and which rungs of a mixed run can be made at all.
// Each look makes the run's own first puzzle within smaller bounds, so its answer follows
// from the request as the puzzle does, whatever the threads.

#include <cstdint>
#include <functional>
#include <vector>

#include "maker/maker.h"

namespace spanwright::maker {

/// Island shares are tried in steps of this many points (5, 10, ... 40).
inline constexpr int SHARE_STEP = 5;

/// A quick look spends this part of a puzzle's bounds: one tenth.
inline constexpr int QUICK_LOOK_PARTS = 10;

/// `request` with a tenth of its bounds in boards and CPU time.
MakeRequest quickLook(const MakeRequest& request);

/// The island shares tried for `request`, the nearest first: below the one asked; and
/// first above it when it is under the rung's default, where too few islands leave too
/// little to deduce for the rung.
std::vector<int> sharesToTry(const MakeRequest& request);

/// The first of sharesToTry(request) at which a quick look meets the rung; 0 when none
/// does, -1 when `stopped` (if given) said to stop before a look. The share named is one
/// that worked, not a guess.
int workingShare(const MakeRequest& request, const std::function<bool()>& stopped);

/// Puzzles of one rung a mixed run makes before leaving the rung out as one whose puzzles
/// the run refuses: enough that a rung which meets a score range now and then stays.
inline constexpr std::uint32_t ACCEPT_TRIALS = 8;

/// Tries each rung of a mixed run, `jobs` at a time: the puzzles of the run's first index
/// at that rung, until one is kept by `accept` (empty: every one), at most ACCEPT_TRIALS
/// of them. The answer, in the order of `rungs`, depends on nothing but the arguments.
std::vector<RungTrial> tryRungs(const MakeRequest& request, const std::vector<Rung>& rungs,
                                bool rungShares,
                                const std::function<bool(const MadePuzzle&)>& accept, int jobs);

}  // namespace spanwright::maker
