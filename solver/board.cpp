#include "solver/board.h"

#include <algorithm>

namespace spanwright {

void SolverBoard::allocate(int borderedWidth, int borderedHeight) {
    width = std::int8_t(borderedWidth);
    height = std::int8_t(borderedHeight);
    contradiction = 0;
    liveGroups = 0;
    const std::size_t n = std::size_t(borderedWidth) * std::size_t(borderedHeight);
    cells.assign(n, 0);
    masks.assign(n, 0);
    groupIds.assign(n, 0);
    groups.assign(n, IslandGroup{});
    islandIndex_.assign(n, NO_ISLAND);
    links_.assign(n, MemberLinks{});
    forgetScan();
}

void SolverBoard::loadPuzzle(const Puzzle& puzzle) {
    allocate(puzzle.width + 2, puzzle.height + 2);
    const int w = stride();
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c)
            cells[(r + 1) * w + c + 1] = puzzle.cells[r * puzzle.width + c];
}

void SolverBoard::loadPlane(const std::uint8_t* plane) {
    std::copy(plane, plane + cells.size(), cells.begin());
    std::fill(masks.begin(), masks.end(), 0);
    std::fill(groupIds.begin(), groupIds.end(), 0);
    std::fill(groups.begin(), groups.end(), IslandGroup{});
    std::fill(islandIndex_.begin(), islandIndex_.end(), NO_ISLAND);
    forgetScan();
    contradiction = 0;
    liveGroups = 0;
}

// Boards with the same layout stamp agreed on every plane outside the span from their
// first island to their last when they took the stamp (from a scan, or from a copy of the
// whole planes), and no primitive writes outside it since: codes and links change only at
// islands, line states only on lines between two islands. So only the span is copied.
void SolverBoard::copyFrom(const SolverBoard& other) {
    contradiction = other.contradiction;
    liveGroups = other.liveGroups;
    totals_ = other.totals_;
    // Group ids stay below the number of islands; the records past both boards' islands
    // are empty in both.
    const std::size_t used = std::max({islands_.size(), other.islands_.size(), std::size_t{1}});
    std::copy(other.groups.begin(), other.groups.begin() + std::ptrdiff_t(used), groups.begin());
    const bool sameLayout = layoutStamp_ != 0 && layoutStamp_ == other.layoutStamp_;
    std::ptrdiff_t first = 0;
    std::ptrdiff_t end = std::ptrdiff_t(cells.size());
    if (sameLayout && !islands_.empty()) {
        first = islands_.front();
        end = std::ptrdiff_t(islands_.back()) + 1;
    }
    std::copy(other.cells.begin() + first, other.cells.begin() + end, cells.begin() + first);
    std::copy(other.masks.begin() + first, other.masks.begin() + end, masks.begin() + first);
    std::copy(other.groupIds.begin() + first, other.groupIds.begin() + end,
              groupIds.begin() + first);
    std::copy(other.links_.begin() + first, other.links_.begin() + end, links_.begin() + first);
    // The island list and flags are as long as the other board has islands; once the
    // capacity is there, assigning them allocates nothing.
    if (!sameLayout) {
        std::copy(other.islandIndex_.begin(), other.islandIndex_.end(), islandIndex_.begin());
        islands_.assign(other.islands_.begin(), other.islands_.end());
        farEnds_.assign(other.farEnds_.begin(), other.farEnds_.end());
        layoutStamp_ = other.layoutStamp_;
    }
    // The six sets of a board are always sized together, to one length; when the two
    // boards' lengths agree, all their words go over in a single loop.
    if (dirty_.words.size() == other.dirty_.words.size()) {
        for (std::size_t i = 0, n = dirty_.words.size(); i < n; ++i) {
            dirty_.words[i] = other.dirty_.words[i];
            unfinished_.words[i] = other.unfinished_.words[i];
            lone_.words[i] = other.lone_.words[i];
            pairDirty_.words[i] = other.pairDirty_.words[i];
            isolationDirty_.words[i] = other.isolationDirty_.words[i];
            changedGroups_.words[i] = other.changedGroups_.words[i];
        }
        return;
    }
    dirty_.copyFrom(other.dirty_);
    unfinished_.copyFrom(other.unfinished_);
    lone_.copyFrom(other.lone_);
    pairDirty_.copyFrom(other.pairDirty_);
    isolationDirty_.copyFrom(other.isolationDirty_);
    changedGroups_.copyFrom(other.changedGroups_);
}

// Of the cells of a run, only its two ends can read its state as one of their lines, so
// the ends are what a change to a run makes dirty.
template <bool Vertical>
void SolverBoard::clearRun(int pos) {
    const int along = Vertical ? stride() : 1;
    constexpr std::uint8_t keep = std::uint8_t(~(Vertical ? V_LINE_BITS : H_LINE_BITS));
    int x = pos;
    for (; cells[x] == WATER; x -= along)
        masks[x] &= keep;
    markDirty(x);
    for (x = pos + along; cells[x] == WATER; x += along)
        masks[x] &= keep;
    markDirty(x);
}

// A line known to carry a bridge (a count, or LINE_ONE_OR_TWO) closes every line that
// crosses it, since bridges never cross.
// The walks work on the planes through plain pointers: a store of a byte may alias
// anything, so through the vectors every store would reload their data pointers. The
// planes are never resized while a board is in use, so the pointers stay valid.
template <bool Vertical>
void SolverBoard::setRunLine(int pos, std::uint8_t state, int count) {
    constexpr std::uint8_t ownBits = Vertical ? V_LINE_BITS : H_LINE_BITS;
    constexpr int shift = Vertical ? 2 : 0;
    constexpr std::uint8_t bridgeBase = Vertical ? V_SINGLE - 1 : H_SINGLE - 1;
    const int along = Vertical ? stride() : 1;
    const bool crossing = count != 0 || state == LINE_ONE_OR_TWO;
    const std::uint8_t code = count == 0 ? WATER : std::uint8_t(count + bridgeBase);
    const std::uint8_t stateBits = std::uint8_t(state << shift);
    std::uint8_t* const cellPlane = cells.data();
    std::uint8_t* const maskPlane = masks.data();
    auto visit = [&](int x) {
        if (crossing && (maskPlane[x] & (V_LINE_BITS | H_LINE_BITS) & ~ownBits) != 0)
            clearRun<!Vertical>(x);
        maskPlane[x] = std::uint8_t((maskPlane[x] & ~ownBits) | stateBits);
        if (state == LINE_CLOSED) cellPlane[x] = code;
    };
    int first = pos;
    for (; cellPlane[first] == WATER; first -= along)
        visit(first);
    int last = pos + along;
    for (; cellPlane[last] == WATER; last += along)
        visit(last);
    // layBridges marks the two ends itself.
    if (state == LINE_CLOSED && count != 0) {
        layBridges(first, last, count);
    } else {
        markDirty(first);
        markDirty(last);
    }
}

void SolverBoard::setHorizontalLine(int pos, std::uint8_t state, int count) {
    setRunLine<false>(pos, state, count);
}

void SolverBoard::setVerticalLine(int pos, std::uint8_t state, int count) {
    setRunLine<true>(pos, state, count);
}

void SolverBoard::clearHorizontalRun(int pos) {
    clearRun<false>(pos);
}

void SolverBoard::clearVerticalRun(int pos) {
    clearRun<true>(pos);
}

// Laying bridges changes the codes of the two end islands and merges their groups; the
// steps below keep the index in step with that.
void SolverBoard::layBridges(int posA, int posB, int n) {
    const std::uint16_t a = groupIds[posA];
    const std::uint16_t b = groupIds[posB];
    uncountGroups(a, b);
    const std::uint16_t survivor = a == b ? a : mergeGroups(posA, posB, a, b);
    IslandGroup& group = groups[survivor];
    group.demand = std::int16_t(group.demand - 2 * n);
    totals_.demand -= 2 * n;
    lowerIslandCodes(posA, posB, n, group);
    recountGroup(survivor);
    // An island needing no bridge at the scan keeps the open states of the runs through
    // it, so a line may seem to leave its neighbour there and end on a bridge: an end is
    // not always an island.
    markDirty(posA);
    markDirty(posB);
}

void SolverBoard::uncountGroups(std::uint16_t a, std::uint16_t b) {
    // While no group is closed or negative, neither of the two adds to those counts.
    const bool counted = totals_.closedGroups != 0 || totals_.negativeGroups != 0;
    if (counted) countGroup(a, -1);
    unlistLoneIsland(a);
    if (b == a) return;
    if (counted) countGroup(b, -1);
    unlistLoneIsland(b);
}

// Merges keep the smaller id. Only the members of the other group carry the id that goes,
// so walking its member circle rewrites exactly what a pass over the whole board would;
// then the two circles are spliced into one at the new bridge's ends.
std::uint16_t SolverBoard::mergeGroups(int posA, int posB, std::uint16_t a, std::uint16_t b) {
    const std::uint16_t survivor = std::min(a, b);
    const std::uint16_t dropped = std::max(a, b);
    const int droppedMember = a == dropped ? posA : posB;
    int member = droppedMember;
    do {
        groupIds[member] = survivor;
        member = links_[member].member;
    } while (member != droppedMember);
    std::swap(links_[posA].member, links_[posB].member);
    std::swap(links_[posA].reader, links_[posB].reader);
    IslandGroup& kept = groups[survivor];
    const IslandGroup& gone = groups[dropped];
    kept.demand = std::int16_t(kept.demand + gone.demand);
    kept.openIslands = std::int16_t(kept.openIslands + gone.openIslands);
    kept.standingIslands = std::int16_t(kept.standingIslands + gone.standingIslands);
    kept.openCellsXor ^= gone.openCellsXor;
    groups[dropped] = IslandGroup{};
    --liveGroups;
    // The id is free now: a flagging still owed to its readers is owed by the survivor, if
    // by anyone (recountGroup).
    changedGroups_.erase(dropped);
    return survivor;
}

// An island may receive more bridges than it needs on a trial's copy or on an unsolvable
// board; its code then reads as a bridge code, which the refutation test catches. A code
// that would reach WATER or wrap would let walks run through the island, so such a board
// is marked contradictory instead.
void SolverBoard::lowerIslandCodes(int posA, int posB, int n, IslandGroup& group) {
    for (int pos : {posA, posB}) {
        const int before = cells[pos];
        if (before <= n)
            contradiction = 1;
        else
            cells[pos] = std::uint8_t(before - n);
        recountIsland(pos, before, group);
    }
    for (int pos : {posA, posB}) {
        if (cells[pos] != ISLAND_BASE) continue;
        --group.openIslands;
        group.openCellsXor ^= std::uint16_t(pos);
    }
}

// Readers at the far ends see a group only through its open-island count and, while that
// is one, its demand. A group that is lone after a change shows them something new and is
// noted for them. One that is not shows them NEVER_COMPLETES, and losing a lone far group
// takes deductions away, never adds one: the pair rule wants a lone far group, and in the
// isolation rule's sums NEVER_COMPLETES plus any demand above zero exceeds every demand
// the rule acts on. (A lone group's demand is above zero unless one of its islands is
// over-bridged, and such a board is refuted already.) So a group that stops being lone,
// or goes into a merge with a flagging still owed, needs no note.
void SolverBoard::recountGroup(std::uint16_t survivor) {
    countGroup(survivor, 1);
    listLoneIsland(survivor);
    if (groups[survivor].openIslands == 1) changedGroups_.insert(survivor);
}

// A board without islands has no group to look at and is not counted as solved: there is
// nothing for the solver to finish. With at most one group every island carries id 0 (a
// merge keeps the smaller id, and the first island has 0), so the group to look at is 0.
bool SolverBoard::isSolved() const {
    return liveGroups <= 1 && totals_.unfinished == 0 && totals_.complete > 0 &&
           groups[0].demand == 0 && groups[0].openIslands == 0;
}

bool SolverBoard::isRefuted() const {
    if (contradiction) return true;
    if (liveGroups == 1) return groups[0].demand != totals_.missing;
    // A finished group can never be joined to the others.
    if (totals_.closedGroups != 0) return true;
    return totals_.negativeGroups != 0 || totals_.demand != totals_.missing;
}

}  // namespace spanwright
