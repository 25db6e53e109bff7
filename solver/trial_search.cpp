#include "solver/trial_search.h"

#include "solver/propagation.h"

namespace spanwright {
namespace {

bool isCandidate(const SolverBoard& board, int pos, Alternatives& alternatives) {
    if (board.cells[pos] <= ISLAND_BASE) return false;
    std::int32_t weights[4] = {};
    for (int dir = 0; dir < 4; ++dir)
        weights[dir] = TRIAL_LINE_WEIGHT[board.lineState(pos, dir)];
    if (weights[0] + weights[1] + weights[2] + weights[3] != 2) return false;
    int found = 0;
    for (int dir = 0; dir < 4; ++dir)
        if (weights[dir] == 1) alternatives[found++] = dir;
    return true;
}

/// Lays the alternative on the copy and lets the deductions run; refuted when they find a
/// contradiction or leave a board that can no longer be solved.
bool refutes(SolveStats& stats, SolverBoard& copy, int pos, int dir) {
    applyAlternative(copy, pos, dir);
    return !propagateExtended(stats, copy) || copy.isRefuted();
}

}  // namespace

// The scan is cyclic so that successive trial searches of one solve move on through the
// board instead of starting at the top each time.
int findTrialCandidate(const SolverBoard& board, int start, Alternatives& alternatives) {
    const int n = board.cellCount();
    if (start < 0) start = 0;
    for (int pos = start; pos < n; ++pos)
        if (isCandidate(board, pos, alternatives)) return pos;
    for (int pos = 0; pos < start && pos < n; ++pos)
        if (isCandidate(board, pos, alternatives)) return pos;
    return 0;
}

void applyAlternative(SolverBoard& board, int pos, int dir) {
    const int count = board.lineState(pos, dir) == LINE_ZERO_OR_ONE ? 1 : 2;
    board.setLine(pos, dir, LINE_CLOSED, count);
}

bool trialSearch(SolveStats& stats, SolverBoard& board, std::int32_t& scanPosition) {
    // One working copy per call, brought back to the board's state between alternatives.
    SolverBoard copy;
    copy.allocate(board.width, board.height);
    copy.copyFrom(board);

    Alternatives alternatives{};
    const int first = findTrialCandidate(copy, scanPosition + 1, alternatives);
    if (first == 0) {
        scanPosition = 0;
        return false;
    }
    int pos = first;
    for (;;) {
        if (refutes(stats, copy, pos, alternatives[0])) {
            addCount(stats.trialFirstRefuted, 1);
            applyAlternative(board, pos, alternatives[1]);
            scanPosition = pos;
            return true;
        }
        copy.copyFrom(board);
        if (refutes(stats, copy, pos, alternatives[1])) {
            addCount(stats.trialSecondRefuted, 1);
            applyAlternative(board, pos, alternatives[0]);
            scanPosition = pos;
            return true;
        }
        copy.copyFrom(board);
        pos = findTrialCandidate(copy, pos + 1, alternatives);
        if (pos == first) {
            scanPosition = pos;
            return false;
        }
    }
}

}  // namespace spanwright
