#pragma once

// The whole puzzle as one DIMACS CNF formula, connectivity included, so that any SAT
// solver can decide it: the clauses of BridgeModel, and a spanning tree that every island
// but the first hangs from. Each island gets a number in binary; each island but the
// first picks a neighbour it is bridged to whose number is smaller. Following the picks
// downhill ends only at the first island, so every island is joined to it; a connected
// solution gets numbers in the order a search from the first island meets them.
//
// Models of the formula project onto the ONE and TWO variables as the solutions do (one
// or more models for each solution, none for anything else), so a second solution is
// sought by adding one clause that forbids the first model's values of those variables.

#include <string>

#include "puzzle/puzzle.h"

namespace spanwright::exact {

/// The formula of `puzzle` as DIMACS text: a comment header that names the puzzle and
/// maps the variables 1 to 2 x links to the links ("c link L: v1 v2 (r,c)-(r,c)": v1 true
/// when the link carries a bridge, v2 when it carries two; rows and columns from 0), the
/// "p cnf" line and the clauses. A board with fewer than two islands gets the empty
/// clause: it has no solution. The puzzle must hold no UNKNOWN_ISLAND.
std::string cnfText(const Puzzle& puzzle);

}  // namespace spanwright::exact
