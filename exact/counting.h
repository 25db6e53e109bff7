#pragma once

// Counting arguments that rule a board out before any search. Clause learning proves
// them only with great effort: on a lattice of 2s with one island raised to 3, or with
// one more island of one colour than of the other, the SAT solver runs for minutes where
// a sum settles it at once.

#include <cstdint>
#include <vector>

#include "exact/model.h"
#include "exact/reasoning.h"

namespace spanwright::exact {

/// False when no assignment of 0 to 2 bridges to the links, crossings and connectivity
/// aside, gives every island its number: when the numbers add up to an odd total (each
/// bridge has two ends), or when not even a fractional assignment exists (a maximum flow
/// through the links, each island on both sides of a bipartite copy of the board).
bool sumsCanBeMet(const BridgeModel& model);

/// What the counting settled.
struct CountingOutcome {
    bool possible = true;       ///< false when no assignment meets every number
    std::int64_t narrowed = 0;  ///< links that lost a count
    bool tried = false;         ///< false when the board has too many odd links to count
};

/// Keeps of every link's counts only those that some assignment of bridges within
/// `counts` uses, where every island gets its number; crossings count only between the
/// few links that join two islands of one colour, connectivity not at all. The islands
/// are coloured black and white so that as few open links as possible join one colour;
/// every assignment of those few links (crossings respected) leaves a bipartite problem,
/// a flow from black to white, whose feasible values per link the strongly connected
/// parts of its residual graph give at once. A board with more than a few such links is
/// left as it is (`tried` false).
CountingOutcome narrowByCounting(const BridgeModel& model, std::vector<CountSet>& counts);

}  // namespace spanwright::exact
