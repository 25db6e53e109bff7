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
    islandIndex.assign(n, NO_ISLAND);
    nextMember.assign(n, 0);
    islands.clear();
    dirty.words.clear();
    unfinished.words.clear();
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
    islands.clear();
    dirty.words.clear();
    unfinished.words.clear();
    totals = IslandTotals{};
    contradiction = 0;
    liveGroups = 0;
}

void SolverBoard::copyFrom(const SolverBoard& other) {
    contradiction = other.contradiction;
    liveGroups = other.liveGroups;
    totals = other.totals;
    std::copy(other.cells.begin(), other.cells.end(), cells.begin());
    std::copy(other.masks.begin(), other.masks.end(), masks.begin());
    std::copy(other.groupIds.begin(), other.groupIds.end(), groupIds.begin());
    // Group ids stay below the number of islands; the records past both boards' islands
    // are empty in both.
    const std::size_t used = std::max({islands.size(), other.islands.size(), std::size_t{1}});
    std::copy(other.groups.begin(), other.groups.begin() + std::ptrdiff_t(used), groups.begin());
    std::copy(other.islandIndex.begin(), other.islandIndex.end(), islandIndex.begin());
    std::copy(other.nextMember.begin(), other.nextMember.end(), nextMember.begin());
    // The island list and flags are as long as the other board has islands; once the
    // capacity is there, assigning them allocates nothing.
    islands.assign(other.islands.begin(), other.islands.end());
    dirty.words.assign(other.dirty.words.begin(), other.dirty.words.end());
    unfinished.words.assign(other.unfinished.words.begin(), other.unfinished.words.end());
}

// Each island looks only right and down, so every line is opened exactly once, by the
// island at its left or upper end. Group ids follow this scan order, which is why the
// first island's id (0) is the id of the last group left.
void SolverBoard::scanLines() {
    liveGroups = 0;
    const int w = stride();
    for (int r = 1; r < height - 1; ++r) {
        for (int c = 1; c < width - 1; ++c) {
            const int pos = r * w + c;
            const std::uint8_t code = cells[pos];
            if (code < ISLAND_BASE + 1) continue;

            int right = pos + 1;
            while (right < r * w + w - 1 && cells[right] < ISLAND_BASE + 1)
                ++right;
            if (right < r * w + w - 1)
                for (int x = pos + 1; x < right; ++x)
                    masks[x] |= LINE_OPEN;

            int below = pos + w;
            const int bottom = (height - 1) * w;
            while (below < bottom && cells[below] < ISLAND_BASE + 1)
                below += w;
            if (below < bottom)
                for (int x = pos + w; x < below; x += w)
                    masks[x] |= LINE_OPEN << 2;

            groupIds[pos] = liveGroups;
            groups[liveGroups] = IslandGroup{std::int16_t(code - ISLAND_BASE), 1, 0};
            ++liveGroups;
        }
    }
    listIslands();
}

// The list holds every cell that can ever reach a code of ISLAND_BASE or more: codes only
// go down, and water and bridges stay below it. A cell already at ISLAND_BASE gets no line
// and no group of its own, but the sweeps and totals still see it, as a scan would.
void SolverBoard::listIslands() {
    islands.clear();
    totals = IslandTotals{};
    std::fill(islandIndex.begin(), islandIndex.end(), NO_ISLAND);
    forEachInterior([&](int pos) {
        nextMember[pos] = std::uint16_t(pos);
        if (cells[pos] < ISLAND_BASE) return;
        islandIndex[pos] = std::uint16_t(islands.size());
        islands.push_back(std::uint16_t(pos));
    });
    unfinished.reset(islands.size(), false);
    for (const std::uint16_t pos : islands)
        countIsland(pos);
    dirty.reset(islands.size(), true);
    const int used = std::max<int>(liveGroups, 1);
    for (int id = 0; id < used; ++id) {
        totals.demand += groups[id].demand;
        countGroup(std::uint16_t(id), 1);
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
    words.assign((count + 63) / 64, 0);
    if (full)
        for (std::size_t i = 0; i < count; ++i)
            insert(i);
}

void SolverBoard::layBridges(int posA, int posB, int n) {
    const std::uint16_t a = groupIds[posA];
    const std::uint16_t b = groupIds[posB];
    countGroup(a, -1);
    if (b != a) countGroup(b, -1);
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
            member = nextMember[member];
        } while (member != droppedMember);
        std::swap(nextMember[posA], nextMember[posB]);
        IslandGroup& kept = groups[survivor];
        const IslandGroup& gone = groups[dropped];
        kept.demand = std::int16_t(kept.demand + gone.demand);
        kept.openIslands = std::int16_t(kept.openIslands + gone.openIslands);
        kept.standingIslands = std::int16_t(kept.standingIslands + gone.standingIslands);
        groups[dropped] = IslandGroup{};
        --liveGroups;
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
    if (cells[posA] == ISLAND_BASE) --group.openIslands;
    if (cells[posB] == ISLAND_BASE) --group.openIslands;
    countGroup(survivor, 1);
    markDirty(posA);
    markDirty(posB);
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
void SolverBoard::setHorizontalLine(int pos, std::uint8_t state, int count) {
    const bool crossing = count != 0 || state == LINE_ONE_OR_TWO;
    const std::uint8_t code = std::uint8_t(count);
    auto visit = [&](int x) {
        if (crossing && verticalState(masks[x]) != 0) clearVerticalRun(x);
        masks[x] = std::uint8_t((masks[x] & ~H_LINE_BITS) | state);
        if (state == LINE_CLOSED) cells[x] = code;
    };
    int left = pos;
    for (; cells[left] == WATER; --left)
        visit(left);
    int right = pos + 1;
    for (; cells[right] == WATER; ++right)
        visit(right);
    markDirty(left);
    markDirty(right);
    if (state == LINE_CLOSED && count != 0) layBridges(left, right, count);
}

void SolverBoard::setVerticalLine(int pos, std::uint8_t state, int count) {
    const bool crossing = count != 0 || state == LINE_ONE_OR_TWO;
    const std::uint8_t code = count == 0 ? WATER : std::uint8_t(count + 2);
    const int w = stride();
    auto visit = [&](int x) {
        if (crossing && horizontalState(masks[x]) != 0) setHorizontalLine(x, LINE_CLOSED, 0);
        masks[x] = std::uint8_t((masks[x] & ~V_LINE_BITS) | (state << 2));
        if (state == LINE_CLOSED) cells[x] = code;
    };
    int upper = pos;
    for (; cells[upper] == WATER; upper -= w)
        visit(upper);
    int lower = pos + w;
    for (; cells[lower] == WATER; lower += w)
        visit(lower);
    markDirty(upper);
    markDirty(lower);
    if (state == LINE_CLOSED && count != 0) layBridges(upper, lower, count);
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
