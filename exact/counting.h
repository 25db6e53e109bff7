#pragma once

// Counting arguments that rule a board out before any search. Clause learning proves
// them only with great effort: on a lattice of 2s with one island raised to 3, or with
// one more island of one colour than of the other, the SAT solver runs for minutes where
// a sum settles it at once.

#include "exact/model.h"

namespace spanwright::exact {

/// False when no assignment of 0 to 2 bridges to the links, crossings and connectivity
/// aside, gives every island its number: when the numbers add up to an odd total (each
/// bridge has two ends), or when not even a fractional assignment exists (a maximum flow
/// through the links, each island on both sides of a bipartite copy of the board).
bool sumsCanBeMet(const BridgeModel& model);

}  // namespace spanwright::exact
