#include "solver/rules.h"

namespace spanwright {
namespace {

bool isLoneOpenIsland(const SolverBoard& board, int pos, int demand) {
    const IslandGroup& group = board.groups[board.groupIds[pos]];
    return group.demand == demand && group.openIslands == 1;
}

/// A line already at LINE_ZERO_OR_ONE has nothing more to learn unless the demand is 1.
/// Skipping it for every other demand also keeps an over-bridged group (negative demand)
/// from rewriting the same state on every pass.
bool worthTrying(std::uint8_t state, int demand) {
    return state != LINE_CLOSED && !(demand != 1 && state == LINE_ZERO_OR_ONE);
}

std::uint8_t pairState(int demand) {
    return demand == 1 ? LINE_CLOSED : LINE_ZERO_OR_ONE;
}

}  // namespace

int applyPairRule(SolverBoard& board, int pos) {
    const IslandGroup& group = board.groups[board.groupIds[pos]];
    const int demand = group.demand;
    if (demand == 0 || demand > PAIR_DEMAND || group.openIslands != 1) return 0;

    int changed = 0;
    for (int dir = 0; dir < 2; ++dir) {
        const int step = board.step(dir);
        if (!worthTrying(horizontalState(board.masks[pos + step]), demand)) continue;
        if (!isLoneOpenIsland(board, board.farIsland(pos, dir), demand)) continue;
        board.setHorizontalLine(pos + step, pairState(demand), 0);
        ++changed;
    }
    if (applyVerticalPairRule(board, pos, -board.stride(), demand)) ++changed;
    if (applyVerticalPairRule(board, pos, board.stride(), demand)) ++changed;
    return changed;
}

bool applyVerticalPairRule(SolverBoard& board, int pos, int step, int demand) {
    const int first = pos + step;
    if (!worthTrying(verticalState(board.masks[first]), demand)) return false;
    if (!isLoneOpenIsland(board, board.farIsland(pos, step < 0 ? 2 : 3), demand)) return false;
    board.setVerticalLine(first, pairState(demand), 0);
    return true;
}

}  // namespace spanwright
