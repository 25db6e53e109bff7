#include "solver/rules.h"

namespace spanwright {
namespace {

/// Gives the target line at least one bridge. An open line becomes LINE_ONE_OR_TWO; a
/// line that allows none or one gets its one bridge; a line already known to carry a
/// bridge needs nothing, and the caller goes on to its next pair.
bool forceBridge(SolverBoard& board, int pos, int dir, std::uint8_t state) {
    if (state == LINE_OPEN) {
        board.setLine(pos, dir, LINE_ONE_OR_TWO, 0);
        return true;
    }
    if (state == LINE_ZERO_OR_ONE) {
        board.setLine(pos, dir, LINE_CLOSED, 1);
        return true;
    }
    return false;
}

/// The three pairs of an island with one closed line, in their fixed order: if the two
/// lines of a pair could take all the island's missing bridges and finish both far groups
/// with it, the third line must carry a bridge.
bool applyIsolationPairs(SolverBoard& board, int pos, const int dirs[3],
                         const std::uint8_t states[3], int demand) {
    const int straight = neighbourValue(board, pos, dirs[0]);
    const int first = neighbourValue(board, pos, dirs[1]);
    const int second = neighbourValue(board, pos, dirs[2]);
    if (first + straight == demand && forceBridge(board, pos, dirs[2], states[2])) return true;
    if (first + second == demand && forceBridge(board, pos, dirs[0], states[0])) return true;
    if (straight + second == demand && forceBridge(board, pos, dirs[1], states[1])) return true;
    return false;
}

}  // namespace

int neighbourValue(const SolverBoard& board, int pos, int dir) {
    const int far = board.farIsland(pos, dir);
    const IslandGroup& group = board.groups[board.groupIds[far]];
    return group.openIslands == 1 ? group.demand : NEVER_COMPLETES;
}

bool applyIsolationRuleH(SolverBoard& board, int pos, int step, std::uint8_t straight,
                         std::uint8_t firstSide, std::uint8_t secondSide, int demand) {
    const int dirs[3] = {step < 0 ? 0 : 1, 2, 3};
    const std::uint8_t states[3] = {straight, firstSide, secondSide};
    return applyIsolationPairs(board, pos, dirs, states, demand);
}

bool applyIsolationRuleV(SolverBoard& board, int pos, int step, std::uint8_t straight,
                         std::uint8_t firstSide, std::uint8_t secondSide, int demand) {
    const int dirs[3] = {step < 0 ? 2 : 3, 0, 1};
    const std::uint8_t states[3] = {straight, firstSide, secondSide};
    return applyIsolationPairs(board, pos, dirs, states, demand);
}

int applyIsolationRule(SolverBoard& board, int pos) {
    const IslandGroup& group = board.groups[board.groupIds[pos]];
    const int demand = group.demand;
    if (demand == 0 || demand > ISOLATION_DEMAND || group.openIslands != 1) return 0;

    std::uint8_t s[4];
    int closed = 0;
    for (int dir = 0; dir < 4; ++dir) {
        s[dir] = board.lineState(pos, dir);
        if (s[dir] == LINE_CLOSED) ++closed;
    }
    if (closed != 1) return 0;

    const int w = board.stride();
    bool changed = false;
    if (s[0] == LINE_CLOSED)
        changed = applyIsolationRuleH(board, pos, 1, s[1], s[2], s[3], demand);
    else if (s[1] == LINE_CLOSED)
        changed = applyIsolationRuleH(board, pos, -1, s[0], s[2], s[3], demand);
    else if (s[2] == LINE_CLOSED)
        changed = applyIsolationRuleV(board, pos, w, s[3], s[0], s[1], demand);
    else
        changed = applyIsolationRuleV(board, pos, -w, s[2], s[0], s[1], demand);
    return changed ? 1 : 0;
}

}  // namespace spanwright
