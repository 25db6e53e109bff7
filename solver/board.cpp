#include "solver/board.h"

#include <algorithm>
#include <atomic>

namespace spanwright {
namespace {

/// Stamps of scanned layouts, unique across all boards and threads.
std::atomic<std::uint64_t> lastLayoutStamp{0};

}  // namespace

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
    islandIndex.assign(n, NO_ISLAND);
    links.assign(n, MemberLinks{});
    forgetScan();
}

void SolverBoard::forgetScan() {
    islands.clear();
    dirty.words.clear();
    unfinished.words.clear();
    lone.words.clear();
    pairDirty.words.clear();
    isolationDirty.words.clear();
    changedGroups.words.clear();
    farEnds.clear();
    layoutStamp = 0;
    totals = IslandTotals{};
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
    std::fill(islandIndex.begin(), islandIndex.end(), NO_ISLAND);
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
    totals = other.totals;
    // Group ids stay below the number of islands; the records past both boards' islands
    // are empty in both.
    const std::size_t used = std::max({islands.size(), other.islands.size(), std::size_t{1}});
    std::copy(other.groups.begin(), other.groups.begin() + std::ptrdiff_t(used), groups.begin());
    const bool sameLayout = layoutStamp != 0 && layoutStamp == other.layoutStamp;
    std::ptrdiff_t first = 0;
    std::ptrdiff_t end = std::ptrdiff_t(cells.size());
    if (sameLayout && !islands.empty()) {
        first = islands.front();
        end = std::ptrdiff_t(islands.back()) + 1;
    }
    std::copy(other.cells.begin() + first, other.cells.begin() + end, cells.begin() + first);
    std::copy(other.masks.begin() + first, other.masks.begin() + end, masks.begin() + first);
    std::copy(other.groupIds.begin() + first, other.groupIds.begin() + end,
              groupIds.begin() + first);
    std::copy(other.links.begin() + first, other.links.begin() + end, links.begin() + first);
    // The island list and flags are as long as the other board has islands; once the
    // capacity is there, assigning them allocates nothing.
    if (!sameLayout) {
        std::copy(other.islandIndex.begin(), other.islandIndex.end(), islandIndex.begin());
        islands.assign(other.islands.begin(), other.islands.end());
        farEnds.assign(other.farEnds.begin(), other.farEnds.end());
        layoutStamp = other.layoutStamp;
    }
    // The six sets of a board are always sized together, to one length; when the two
    // boards' lengths agree, all their words go over in a single loop.
    if (dirty.words.size() == other.dirty.words.size()) {
        for (std::size_t i = 0, n = dirty.words.size(); i < n; ++i) {
            dirty.words[i] = other.dirty.words[i];
            unfinished.words[i] = other.unfinished.words[i];
            lone.words[i] = other.lone.words[i];
            pairDirty.words[i] = other.pairDirty.words[i];
            isolationDirty.words[i] = other.isolationDirty.words[i];
            changedGroups.words[i] = other.changedGroups.words[i];
        }
        return;
    }
    dirty.copyFrom(other.dirty);
    unfinished.copyFrom(other.unfinished);
    lone.copyFrom(other.lone);
    pairDirty.copyFrom(other.pairDirty);
    isolationDirty.copyFrom(other.isolationDirty);
    changedGroups.copyFrom(other.changedGroups);
}

// Each island looks only right and down, so every line is opened exactly once, by the
// island at its left or upper end. Group ids follow this scan order, which is why the
// first island's id (0) is the id of the last group left.
void SolverBoard::scanLines() {
    listIslands();
    liveGroups = 0;
    const int w = stride();
    const int bottom = (height - 1) * w;
    for (const std::uint16_t pos : islands) {
        const std::uint8_t code = cells[pos];
        if (code < ISLAND_BASE + 1) continue;

        const int rowEnd = pos / w * w + w - 1;
        int right = pos + 1;
        while (right < rowEnd && cells[right] < ISLAND_BASE + 1)
            ++right;
        if (right < rowEnd) openRun(pos, right, 1);

        int below = pos + w;
        while (below < bottom && cells[below] < ISLAND_BASE + 1)
            below += w;
        if (below < bottom) openRun(pos, below, w);

        groupIds[pos] = liveGroups;
        groups[liveGroups] = IslandGroup{std::int16_t(code - ISLAND_BASE), 1, 0, pos, pos};
        ++liveGroups;
    }
    countIslands();
}

void SolverBoard::recodeIslands(const std::uint8_t* plane) {
    // An island complete at the scan has no group of its own; such a board is built anew.
    if (std::size_t(liveGroups) != islands.size()) {
        loadPlane(plane);
        scanLines();
        return;
    }
    // Every island is a group of its own that still needs bridges, so a new code moves
    // only the island's demand, the two sums of bridges missing and whether it is lone;
    // no group is closed or negative before or after.
    for (const std::uint16_t pos : islands) {
        const int change = plane[pos] - cells[pos];
        if (change == 0) continue;
        cells[pos] = plane[pos];
        IslandGroup& group = groups[groupIds[pos]];
        group.demand = std::int16_t(group.demand + change);
        totals.missing += change;
        totals.demand += change;
        lone.erase(islandIndex[pos]);
        listLoneIsland(groupIds[pos]);
    }
}

// A run may pass islands that are already complete; each cell that is not water on it
// is the far end of the line from the one before it, as a walk over water would find.
void SolverBoard::openRun(int from, int to, int step) {
    const int forward = step == 1 ? 1 : 3;  // right or down, and back: left or up
    const std::uint8_t bits = step == 1 ? LINE_OPEN : LINE_OPEN << 2;
    int last = from;
    for (int x = from + step; x <= to; x += step) {
        if (x < to) masks[x] |= bits;
        if (cells[x] == WATER) continue;
        if (islandIndex[last] != NO_ISLAND)
            farEnds[std::size_t(islandIndex[last]) * 4 + std::size_t(forward)] = std::uint16_t(x);
        if (islandIndex[x] != NO_ISLAND)
            farEnds[std::size_t(islandIndex[x]) * 4 + std::size_t(forward - 1)] =
                std::uint16_t(last);
        last = x;
    }
}

// The list holds every cell that can ever reach a code of ISLAND_BASE or more: codes only
// go down, and water and bridges stay below it. A cell already at ISLAND_BASE gets no line
// and no group of its own, but the sweeps and totals still see it, as a scan would.
void SolverBoard::listIslands() {
    islands.clear();
    std::fill(islandIndex.begin(), islandIndex.end(), NO_ISLAND);
    forEachInterior([&](int pos) {
        if (cells[pos] < ISLAND_BASE) return;
        islandIndex[pos] = std::uint16_t(islands.size());
        islands.push_back(std::uint16_t(pos));
        links[pos].member = std::uint16_t(pos);
        links[pos].reader = std::uint16_t(pos);
    });
    farEnds.resize(islands.size() * 4);
    for (std::size_t i = 0; i < islands.size(); ++i)
        std::fill_n(farEnds.begin() + std::ptrdiff_t(i * 4), 4, islands[i]);
    layoutStamp = lastLayoutStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

void SolverBoard::countIslands() {
    totals = IslandTotals{};
    unfinished.reset(islands.size(), false);
    lone.reset(islands.size(), false);
    pairDirty.reset(islands.size(), true);
    isolationDirty.reset(islands.size(), true);
    dirty.reset(islands.size(), true);
    changedGroups.reset(islands.size(), false);
    // Islands that were complete at the scan carry group id 0 without being counted in
    // it; they join the circle of id 0, so that a walk over that group's members reaches
    // every island whose group record is record 0.
    int zeroHead = -1;
    for (const std::uint16_t pos : islands) {
        countIsland(pos);
        if (groupIds[pos] != 0) continue;
        if (zeroHead < 0) {
            zeroHead = pos;
        } else {
            links[pos].member = links[zeroHead].member;
            links[zeroHead].member = pos;
            links[pos].reader = links[zeroHead].reader;
            links[zeroHead].reader = pos;
        }
    }
    const int used = std::max<int>(liveGroups, 1);
    for (int id = 0; id < used; ++id) {
        totals.demand += groups[id].demand;
        countGroup(std::uint16_t(id), 1);
        listLoneIsland(std::uint16_t(id));
    }
}

void SolverBoard::countIsland(int pos) {
    const int code = cells[pos];
    if (code < ISLAND_BASE) return;
    if (code > ISLAND_BASE) {
        ++totals.unfinished;
        unfinished.insert(islandIndex[pos]);
    }
    totals.complete += code == ISLAND_BASE;
    totals.missing += code - ISLAND_BASE;
    ++groups[groupIds[pos]].standingIslands;
}

void IslandSet::reset(std::size_t count, bool full) {
    words.assign((count + 63) / 64, full ? ~std::uint64_t{0} : 0);
    if (full && count % 64 != 0) words.back() = (std::uint64_t{1} << (count % 64)) - 1;
}

void SolverBoard::layBridges(int posA, int posB, int n) {
    const std::uint16_t a = groupIds[posA];
    const std::uint16_t b = groupIds[posB];
    // Readers at the far ends see a group only through its open-island count and, when
    // that is one, its demand, which every bridge changes.
    bool read = groups[a].openIslands == 1 || groups[b].openIslands == 1;
    // While no group is closed or negative, neither of the two adds to those counts.
    const bool counted = totals.closedGroups != 0 || totals.negativeGroups != 0;
    if (counted) countGroup(a, -1);
    unlistLoneIsland(a);
    if (b != a) {
        if (counted) countGroup(b, -1);
        unlistLoneIsland(b);
    }
    std::uint16_t survivor = a;
    if (a != b) {
        // Merges keep the smaller id. Only the members of the other group carry the id
        // that goes, so walking its member circle rewrites exactly what a pass over the
        // whole board would; then the two circles are spliced into one.
        survivor = std::min(a, b);
        const std::uint16_t dropped = std::max(a, b);
        const int droppedMember = a == dropped ? posA : posB;
        int member = droppedMember;
        do {
            groupIds[member] = survivor;
            member = links[member].member;
        } while (member != droppedMember);
        std::swap(links[posA].member, links[posB].member);
        std::swap(links[posA].reader, links[posB].reader);
        IslandGroup& kept = groups[survivor];
        const IslandGroup& gone = groups[dropped];
        kept.demand = std::int16_t(kept.demand + gone.demand);
        kept.openIslands = std::int16_t(kept.openIslands + gone.openIslands);
        kept.standingIslands = std::int16_t(kept.standingIslands + gone.standingIslands);
        kept.openCells ^= gone.openCells;
        groups[dropped] = IslandGroup{};
        --liveGroups;
        if (changedGroups.contains(dropped)) {
            changedGroups.erase(dropped);
            read = true;
        }
    }
    IslandGroup& group = groups[survivor];
    group.demand = std::int16_t(group.demand - 2 * n);
    totals.demand -= 2 * n;
    // An island may receive more bridges than it needs on a trial's copy or on an
    // unsolvable board; its code then reads as a bridge code, which the refutation test
    // catches. A code that would reach WATER or wrap would let walks run through the
    // island, so such a board is marked contradictory instead.
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
        group.openCells ^= std::uint16_t(pos);
    }
    countGroup(survivor, 1);
    listLoneIsland(survivor);
    if (read || group.openIslands == 1) changedGroups.insert(survivor);
    // An island needing no bridge at the scan keeps the open states of the runs through
    // it, so a line may seem to leave its neighbour there and end on a bridge: an end is
    // not always an island.
    markDirty(posA);
    markDirty(posB);
}

bool SolverBoard::markFarEnds(int pos) {
    bool open = false;
    for (int dir = 0; dir < 4; ++dir) {
        if (lineState(pos, dir) == LINE_CLOSED) continue;
        open = true;
        const std::uint16_t index = islandIndex[std::size_t(farIsland(pos, dir))];
        if (index == NO_ISLAND) continue;
        markReader(index);
    }
    return open;
}

void SolverBoard::flushReaders() {
    for (int id = changedGroups.next(0); id >= 0; id = changedGroups.next(id + 1)) {
        changedGroups.erase(std::size_t(id));
        markReaders(std::uint16_t(id));
    }
}

// The walk starts after the head and ends with it, so that the head can be dropped too:
// its predecessor is known by then. The last member left is never dropped.
void SolverBoard::markReaders(std::uint16_t id) {
    const int head = groups[id].readerHead;
    int before = head;
    int member = links[std::size_t(head)].reader;
    for (;;) {
        const bool open = markFarEnds(member);
        const int next = links[std::size_t(member)].reader;
        if (open || before == member) {
            before = member;
        } else {
            links[std::size_t(before)].reader = std::uint16_t(next);
            if (member == head) groups[id].readerHead = std::uint16_t(next);
        }
        if (member == head) break;
        member = next;
    }
}

// Of the cells of a run, only its two ends can read its state as one of their lines, so
// the ends are what a change to a run makes dirty.
void SolverBoard::clearHorizontalRun(int pos) {
    int x = pos;
    for (; cells[x] == WATER; --x)
        masks[x] &= std::uint8_t(~H_LINE_BITS);
    markDirty(x);
    for (x = pos + 1; cells[x] == WATER; ++x)
        masks[x] &= std::uint8_t(~H_LINE_BITS);
    markDirty(x);
}

void SolverBoard::clearVerticalRun(int pos) {
    const int w = stride();
    int x = pos;
    for (; cells[x] == WATER; x -= w)
        masks[x] &= std::uint8_t(~V_LINE_BITS);
    markDirty(x);
    for (x = pos + w; cells[x] == WATER; x += w)
        masks[x] &= std::uint8_t(~V_LINE_BITS);
    markDirty(x);
}

// A line known to carry a bridge (a count, or LINE_ONE_OR_TWO) closes every line that
// crosses it, since bridges never cross.
// The walks below work on the planes through plain pointers: a store of a byte may alias
// anything, so through the vectors every store would reload their data pointers. The
// planes are never resized while a board is in use, so the pointers stay valid.
void SolverBoard::setHorizontalLine(int pos, std::uint8_t state, int count) {
    const bool crossing = count != 0 || state == LINE_ONE_OR_TWO;
    const std::uint8_t code = std::uint8_t(count);
    std::uint8_t* const cellPlane = cells.data();
    std::uint8_t* const maskPlane = masks.data();
    auto visit = [&](int x) {
        if (crossing && verticalState(maskPlane[x]) != 0) clearVerticalRun(x);
        maskPlane[x] = std::uint8_t((maskPlane[x] & ~H_LINE_BITS) | state);
        if (state == LINE_CLOSED) cellPlane[x] = code;
    };
    int left = pos;
    for (; cellPlane[left] == WATER; --left)
        visit(left);
    int right = pos + 1;
    for (; cellPlane[right] == WATER; ++right)
        visit(right);
    // layBridges marks the two ends itself.
    if (state == LINE_CLOSED && count != 0) {
        layBridges(left, right, count);
    } else {
        markDirty(left);
        markDirty(right);
    }
}

void SolverBoard::setVerticalLine(int pos, std::uint8_t state, int count) {
    const bool crossing = count != 0 || state == LINE_ONE_OR_TWO;
    const std::uint8_t code = count == 0 ? WATER : std::uint8_t(count + 2);
    const int w = stride();
    std::uint8_t* const cellPlane = cells.data();
    std::uint8_t* const maskPlane = masks.data();
    auto visit = [&](int x) {
        if (crossing && horizontalState(maskPlane[x]) != 0) setHorizontalLine(x, LINE_CLOSED, 0);
        maskPlane[x] = std::uint8_t((maskPlane[x] & ~V_LINE_BITS) | (state << 2));
        if (state == LINE_CLOSED) cellPlane[x] = code;
    };
    int upper = pos;
    for (; cellPlane[upper] == WATER; upper -= w)
        visit(upper);
    int lower = pos + w;
    for (; cellPlane[lower] == WATER; lower += w)
        visit(lower);
    if (state == LINE_CLOSED && count != 0) {
        layBridges(upper, lower, count);
    } else {
        markDirty(upper);
        markDirty(lower);
    }
}

// A board without islands has no group to look at and is not counted as solved: there is
// nothing for the solver to finish. With at most one group every island carries id 0 (a
// merge keeps the smaller id, and the first island has 0), so the group to look at is 0.
bool SolverBoard::isSolved() const {
    return liveGroups <= 1 && totals.unfinished == 0 && totals.complete > 0 &&
           groups[0].demand == 0 && groups[0].openIslands == 0;
}

bool SolverBoard::isRefuted() const {
    if (contradiction) return true;
    if (liveGroups == 1) return groups[0].demand != totals.missing;
    // A finished group can never be joined to the others.
    if (totals.closedGroups != 0) return true;
    return totals.negativeGroups != 0 || totals.demand != totals.missing;
}

}  // namespace spanwright
