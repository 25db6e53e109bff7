#include "solver/propagation.h"

#include "solver/rules.h"

namespace spanwright {
namespace {

/// One island-rule sweep in row order; a change at one island is seen by the islands
/// visited after it. Islands whose rule would find nothing are passed over. The sweep
/// runs to its end even after a contradiction.
int islandSweep(SolverBoard& board) {
    int total = 0;
    board.forEachDirtyIsland([&](int pos) {
        if (board.cells[pos] >= ISLAND_BASE) total += applyIslandRule(board, pos);
    });
    return total;
}

int pairSweep(SolverBoard& board) {
    int total = 0;
    board.forEachPairCandidate([&](int pos) { total += applyPairRule(board, pos); });
    return total;
}

int isolationPass(SolverBoard& board) {
    int total = 0;
    board.forEachIsolationCandidate([&](int pos) { total += applyIsolationRule(board, pos); });
    return total;
}

}  // namespace

// The cheap island rule always runs to its fixed point before the pair rule gets a sweep,
// and the solver goes back to it after every pair change.
bool propagateBasic(SolveStats& stats, SolverBoard& board) {
    for (;;) {
        const int islandChanges = islandSweep(board);
        if (board.contradiction) return false;
        if (islandChanges != 0) {
            addCount(stats.tableSteps, islandChanges);
            continue;
        }
        // The pair rule guards against sealing off groups; with two groups or fewer
        // joining them is exactly what must happen.
        if (board.isSolved() || board.liveGroups <= 2) return true;
        const int pairChanges = pairSweep(board);
        if (pairChanges == 0) return true;
        addCount(stats.pairSteps, pairChanges);
    }
}

bool propagateExtended(SolveStats& stats, SolverBoard& board) {
    if (!propagateBasic(stats, board)) return false;
    for (;;) {
        if (board.isSolved()) return true;
        // Groups are counted once, before the pass: a pass that merges groups still runs
        // to its end.
        const int changes = board.liveGroups >= 4 ? isolationPass(board) : 0;
        if (board.contradiction) return false;
        if (changes == 0) return true;
        addCount(stats.isolationSteps, changes);
        if (!propagateBasic(stats, board)) return false;
    }
}

}  // namespace spanwright
