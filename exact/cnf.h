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
#include <vector>

#include "exact/exact_solver.h"
#include "exact/model.h"
#include "puzzle/puzzle.h"

namespace spanwright::exact {

/// The complete formula of `model`: every clause as literals, each ended by 0, and the
/// number of variables; the first 2 x links are the model's ONE and TWO variables.
struct CompleteFormula {
    std::vector<int> literals;
    int variables = 0;
};

CompleteFormula completeFormula(const BridgeModel& model);

/// Decides a puzzle through the complete formula alone, with no reasoning before and no
/// cuts: the search for puzzles with islands whose number is not given (UNKNOWN_ISLAND),
/// which take any number from 1 to 8. Solutions, verdicts and the time limit are as
/// solveExactly gives them; the counters count solver calls only.
ExactResult solveByCompleteFormula(const Puzzle& puzzle, const ExactLimits& limits);

/// The formula of `puzzle` as DIMACS text: a comment header that names the puzzle and
/// maps the variables 1 to 2 x links to the links ("c link L: v1 v2 (r,c)-(r,c)": v1 true
/// when the link carries a bridge, v2 when it carries two; rows and columns from 0), the
/// "p cnf" line and the clauses. A board with fewer than two islands gets the empty
/// clause: it has no solution. An island whose number is not given only needs a bridge.
std::string cnfText(const Puzzle& puzzle);

}  // namespace spanwright::exact
