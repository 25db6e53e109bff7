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
    const int count = board.lineState(pos, dir) == LINE_ZERO_OR_ONE ? 1 : MAX_BRIDGES_PER_LINE;
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

// An alternative that is not refuted leaves the copy equal to the board again.
TrialWorkspace::Trial TrialWorkspace::tryAlternative(SolveStats& stats, const SolverBoard& board,
                                                     int pos, int dir, bool keep) {
    TriedLine* line = lineAt(board, pos, dir);
    if (line != nullptr && line->search == search_) {
        line->addTo(stats);
        return Trial::Stands;
    }
    const SolveStats before = stats;
    SolverBoard& trial = copy();
    applyAlternative(trial, pos, dir);
    if (!propagateExtended(stats, trial) || trial.isRefuted()) return Trial::Refuted;
    const TriedLine cost = TriedLine::between(search_, before, stats);
    if (line != nullptr) *line = cost;
    if (keep) keepCopy(cost);
    copy().copyFrom(board);
    return Trial::Stands;
}

void TrialWorkspace::keepCopy(const TriedLine& cost) {
    kept_ = true;
    keptCost_ = cost;
    active_ ^= 1;
}

void TrialWorkspace::allocate(int borderedWidth, int borderedHeight) {
    boards_[0].allocate(borderedWidth, borderedHeight);
    boards_[1].allocate(borderedWidth, borderedHeight);
}

void TrialWorkspace::beginSearch(const SolverBoard& board) {
    if (boards_[0].width != board.width || boards_[0].height != board.height)
        allocate(board.width, board.height);
    copy().copyFrom(board);
    kept_ = false;
    settled_ = false;
    if (lines_.size() < board.islands().size() * 2) lines_.resize(board.islands().size() * 2);
    // Slots of earlier searches carry older numbers; before the numbers wrap, all are
    // cleared, so that no slot can carry the number of a search to come.
    if (search_ == std::numeric_limits<std::uint32_t>::max()) {
        std::fill(lines_.begin(), lines_.end(), TriedLine{});
        search_ = 0;
    }
    ++search_;
}

TriedLine* TrialWorkspace::lineAt(const SolverBoard& board, int pos, int dir) {
    // A line to the left or up is the line to the right or down of its far end.
    const int owner = dir == 1 || dir == 3 ? pos : board.farIsland(pos, dir);
    const std::uint16_t index = board.islandIndex(owner);
    if (index == NO_ISLAND) return nullptr;
    return &lines_[std::size_t(index) * 2 + std::size_t(dir >= 2)];
}

bool TrialWorkspace::takeSettledBoard(SolveStats& stats, SolverBoard& board) {
    if (!settled_) return false;
    settled_ = false;
    kept_ = false;
    std::swap(board, boards_[active_ ^ 1]);
    keptCost_.addTo(stats);
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
    using Trial = TrialWorkspace::Trial;
    int pos = first;
    for (;;) {
        space.beginCandidate();
        if (space.tryAlternative(stats, board, pos, alternatives[0], true) == Trial::Refuted) {
            addCount(stats.trialFirstRefuted, 1);
            applyAlternative(board, pos, alternatives[1]);
            scanPosition = pos;
            return true;
        }
        if (space.tryAlternative(stats, board, pos, alternatives[1], false) == Trial::Refuted) {
            addCount(stats.trialSecondRefuted, 1);
            applyAlternative(board, pos, alternatives[0]);
            space.settleByFirst();
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
