#pragma once

// An exact verdict on a puzzle: does it have no solution, exactly one, or several? Found
// by reasoning over the graph of possible lines (reasoning.h), then with a SAT solver over
// the clauses of BridgeModel, connectivity added as cuts only where a model breaks it.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::exact {

enum class Verdict {
    None,      ///< no solution; also a board without islands, which is no puzzle
    Unique,    ///< exactly one solution
    Multiple,  ///< at least two solutions
    Unknown,   ///< the time limit ran out before the search settled
};

/// "none", "unique", "multiple" or "unknown".
std::string_view verdictName(Verdict verdict);

using spanwright::Bridge;
using spanwright::Solution;

/// What a verdict cost.
struct ExactCounters {
    std::int64_t solverCalls = 0;  ///< SAT solver runs
    std::int64_t cuts = 0;         ///< connectivity clauses added
};

/// Where a verdict's CPU time went, in seconds of the calling thread (cpu_time.h); the
/// four add up to the whole verdict.
struct ExactTimes {
    double preprocessing = 0;  ///< the clauses and the reasoning before the search
    double sat = 0;            ///< the SAT solver's search for a first solution
    double cuts = 0;           ///< finding components and adding their cuts
    double uniqueness = 0;     ///< the search for a second solution, its cuts aside
};

struct ExactResult {
    Verdict verdict = Verdict::None;
    /// One solution for Unique, two that differ for Multiple, none for None and Unknown.
    std::vector<Solution> solutions;
    ExactCounters counters;
    ExactTimes times;
};

/// The time limit the programs give a verdict unless told otherwise. The reasoning before
/// the search settles every board known to run long; the limit is the backstop for boards
/// not yet known, so that one upload cannot hold a worker for hours.
inline constexpr double DEFAULT_TIME_LIMIT_SECONDS = 60;

/// What a verdict may cost.
struct ExactLimits {
    /// CPU time of the calling thread for the whole verdict, in seconds; 0 or less for no
    /// limit.
    double seconds = 0;
    /// The search as it stood before counting: no counting of bridge ends, no bound on
    /// double bridges, no moving of bridges, no rings ruled out. Slower, for checking the
    /// full search against on boards too large to count solutions on.
    bool plain = false;
};

/// Decides the puzzle: solves it, and when it has a solution looks for a second one.
/// A single island has no solution (it cannot get its bridges); neither has a board
/// without islands. When the search has not settled within the limit, the verdict is
/// Unknown.
ExactResult solveExactly(const Puzzle& puzzle, const ExactLimits& limits = {});

/// The first pair of islands, in the order of a Solution, that two solutions bridge
/// differently: the pair as `a` bridges it and as `b` does (bridges 0 where one has none).
std::optional<std::pair<Bridge, Bridge>> firstDifference(const Solution& a, const Solution& b);

}  // namespace spanwright::exact
