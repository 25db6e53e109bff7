#include "solver/trial_search.h"

#include <algorithm>

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
// Only islands can be candidates, so the scan walks the island list from the first island
// at or after `start`.
int findTrialCandidate(const SolverBoard& board, int start, Alternatives& alternatives) {
    const auto& islands = board.islands;
    const auto candidate = [&](std::uint16_t pos) { return isCandidate(board, pos, alternatives); };
    const auto from = std::lower_bound(islands.begin(), islands.end(), std::max(start, 0));
    auto found = std::find_if(from, islands.end(), candidate);
    if (found != islands.end()) return *found;
    found = std::find_if(islands.begin(), from, candidate);
    return found != from ? *found : 0;
}

void applyAlternative(SolverBoard& board, int pos, int dir) {
    const int count = board.lineState(pos, dir) == LINE_ZERO_OR_ONE ? 1 : 2;
    board.setLine(pos, dir, LINE_CLOSED, count);
}

bool trialSearch(SolveStats& stats, SolverBoard& board, std::int32_t& scanPosition) {
    SolverBoard copy;
    return trialSearch(stats, board, copy, scanPosition);
}

bool trialSearch(SolveStats& stats, SolverBoard& board, SolverBoard& copy,
                 std::int32_t& scanPosition) {
    // The working copy is brought back to the board's state between alternatives.
    if (copy.width != board.width || copy.height != board.height)
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
