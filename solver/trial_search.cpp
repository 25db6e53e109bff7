#include "solver/trial_search.h"

#include <algorithm>
#include <limits>

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
/// contradiction or leave a board that can no longer be solved. An alternative that is
/// not refuted leaves the copy equal to the board again; with `keep`, the board its trial
/// left is kept beside it.
bool refutes(SolveStats& stats, const SolverBoard& board, TrialWorkspace& space, int pos, int dir,
             bool keep) {
    TriedLine* line = space.lineAt(board, pos, dir);
    if (line != nullptr && line->search == space.search) {
        line->addTo(stats);
        return false;
    }
    const SolveStats before = stats;
    SolverBoard& copy = space.copy();
    applyAlternative(copy, pos, dir);
    if (!propagateExtended(stats, copy) || copy.isRefuted()) return true;
    const TriedLine cost = TriedLine::between(space.search, before, stats);
    if (line != nullptr) *line = cost;
    if (keep) {
        space.kept = true;
        space.keptCost = cost;
        space.active ^= 1;
    }
    space.copy().copyFrom(board);
    return false;
}

}  // namespace

// The scan is cyclic so that successive trial searches of one solve move on through the
// board instead of starting at the top each time.
// Only islands can be candidates, so the scan walks the island list from the first island
// at or after `start`.
int findTrialCandidate(const SolverBoard& board, int start, Alternatives& alternatives) {
    const auto& islands = board.islands();
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

TriedLine TriedLine::between(std::uint32_t search, const SolveStats& before,
                             const SolveStats& after) {
    const auto added = [](std::int32_t to, std::int32_t from) {
        return std::int32_t(std::uint32_t(to) - std::uint32_t(from));
    };
    return TriedLine{search, added(after.tableSteps, before.tableSteps),
                     added(after.pairSteps, before.pairSteps),
                     added(after.isolationSteps, before.isolationSteps)};
}

void TriedLine::addTo(SolveStats& stats) const {
    addCount(stats.tableSteps, tableSteps);
    addCount(stats.pairSteps, pairSteps);
    addCount(stats.isolationSteps, isolationSteps);
}

void TrialWorkspace::allocate(int borderedWidth, int borderedHeight) {
    boards[0].allocate(borderedWidth, borderedHeight);
    boards[1].allocate(borderedWidth, borderedHeight);
}

void TrialWorkspace::beginSearch(const SolverBoard& board) {
    if (boards[0].width != board.width || boards[0].height != board.height)
        allocate(board.width, board.height);
    copy().copyFrom(board);
    kept = false;
    settled = false;
    if (lines.size() < board.islands().size() * 2) lines.resize(board.islands().size() * 2);
    // Slots of earlier searches carry older numbers; before the numbers wrap, all are
    // cleared, so that no slot can carry the number of a search to come.
    if (search == std::numeric_limits<std::uint32_t>::max()) {
        std::fill(lines.begin(), lines.end(), TriedLine{});
        search = 0;
    }
    ++search;
}

TriedLine* TrialWorkspace::lineAt(const SolverBoard& board, int pos, int dir) {
    // A line to the left or up is the line to the right or down of its far end.
    const int owner = dir == 1 || dir == 3 ? pos : board.farIsland(pos, dir);
    const std::uint16_t index = board.islandIndex(owner);
    if (index == NO_ISLAND) return nullptr;
    return &lines[std::size_t(index) * 2 + std::size_t(dir >= 2)];
}

bool TrialWorkspace::takeSettledBoard(SolveStats& stats, SolverBoard& board) {
    if (!settled) return false;
    settled = false;
    kept = false;
    std::swap(board, boards[active ^ 1]);
    keptCost.addTo(stats);
    return true;
}

bool trialSearch(SolveStats& stats, SolverBoard& board, std::int32_t& scanPosition) {
    TrialWorkspace space;
    return trialSearch(stats, board, space, scanPosition);
}

bool trialSearch(SolveStats& stats, SolverBoard& board, TrialWorkspace& space,
                 std::int32_t& scanPosition) {
    // The working copy is brought back to the board's state between alternatives.
    space.beginSearch(board);

    Alternatives alternatives{};
    const int first = findTrialCandidate(board, scanPosition + 1, alternatives);
    if (first == 0) {
        scanPosition = 0;
        return false;
    }
    int pos = first;
    for (;;) {
        space.kept = false;
        if (refutes(stats, board, space, pos, alternatives[0], true)) {
            addCount(stats.trialFirstRefuted, 1);
            applyAlternative(board, pos, alternatives[1]);
            scanPosition = pos;
            return true;
        }
        if (refutes(stats, board, space, pos, alternatives[1], false)) {
            addCount(stats.trialSecondRefuted, 1);
            applyAlternative(board, pos, alternatives[0]);
            space.settled = space.kept;
            scanPosition = pos;
            return true;
        }
        pos = findTrialCandidate(board, pos + 1, alternatives);
        if (pos == first) {
            scanPosition = pos;
            return false;
        }
    }
}

}  // namespace spanwright
