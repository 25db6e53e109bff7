#include "solver/propagation.h"

#include "solver/rules.h"

namespace spanwright {
namespace {

/// Resting points are checked in the checking mode only: the check sweeps every island.
#ifdef SPANWRIGHT_CHECK_INVARIANTS
constexpr bool CHECK_RESTING_POINTS = true;
#else
constexpr bool CHECK_RESTING_POINTS = false;
#endif

/// Set while an UncheckedRestingPoints lives on this thread.
thread_local bool restingPointsUnchecked = false;

/// Checks the resting point, in the checking mode, and returns true: propagation rests.
bool rest(const SolverBoard& board, bool extended) {
    if (CHECK_RESTING_POINTS && !restingPointsUnchecked) checkRestingPoint(board, extended);
    return true;
}

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

UncheckedRestingPoints::UncheckedRestingPoints() : before_(restingPointsUnchecked) {
    restingPointsUnchecked = true;
}

UncheckedRestingPoints::~UncheckedRestingPoints() {
    restingPointsUnchecked = before_;
}

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
        if (board.isSolved() || board.liveGroups < PAIR_RULE_MIN_GROUPS) return rest(board, false);
        const int pairChanges = pairSweep(board);
        if (pairChanges == 0) return rest(board, false);
        addCount(stats.pairSteps, pairChanges);
    }
}

bool propagateExtended(SolveStats& stats, SolverBoard& board) {
    if (!propagateBasic(stats, board)) return false;
    for (;;) {
        if (board.isSolved()) return rest(board, true);
        // Groups are counted once, before the pass: a pass that merges groups still runs
        // to its end.
        const int changes = board.liveGroups >= ISOLATION_MIN_GROUPS ? isolationPass(board) : 0;
        if (board.contradiction) return false;
        if (changes == 0) return rest(board, true);
        addCount(stats.isolationSteps, changes);
        if (!propagateBasic(stats, board)) return false;
    }
}

}  // namespace spanwright
