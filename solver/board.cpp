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
    contradiction = 0;
    liveGroups = 0;
}

void SolverBoard::copyFrom(const SolverBoard& other) {
    contradiction = other.contradiction;
    liveGroups = other.liveGroups;
    std::copy(other.cells.begin(), other.cells.end(), cells.begin());
    std::copy(other.masks.begin(), other.masks.end(), masks.begin());
    std::copy(other.groupIds.begin(), other.groupIds.end(), groupIds.begin());
    std::copy(other.groups.begin(), other.groups.end(), groups.begin());
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
            groups[liveGroups] = IslandGroup{std::int16_t(code - ISLAND_BASE), 1};
            ++liveGroups;
        }
    }
}

void SolverBoard::layBridges(int posA, int posB, int n) {
    const std::uint16_t a = groupIds[posA];
    const std::uint16_t b = groupIds[posB];
    std::uint16_t survivor = a;
    if (a != b) {
        // Merges keep the smaller id and rewrite the other over the interior: boards are
        // small, and a flat pass is cheaper than keeping member lists up to date.
        survivor = std::min(a, b);
        const std::uint16_t dropped = std::max(a, b);
        forEachInterior([&](int pos) {
            if (groupIds[pos] == dropped) groupIds[pos] = survivor;
        });
        groups[survivor].demand = std::int16_t(groups[survivor].demand + groups[dropped].demand);
        groups[survivor].openIslands =
            std::int16_t(groups[survivor].openIslands + groups[dropped].openIslands);
        groups[dropped] = IslandGroup{};
        --liveGroups;
    }
    IslandGroup& group = groups[survivor];
    group.demand = std::int16_t(group.demand - 2 * n);
    // An island may receive more bridges than it needs on a trial's copy or on an
    // unsolvable board; its code then reads as a bridge code, which the refutation test
    // catches. A code that would reach WATER or wrap would let walks run through the
    // island, so such a board is marked contradictory instead.
    for (int pos : {posA, posB}) {
        if (cells[pos] <= n)
            contradiction = 1;
        else
            cells[pos] = std::uint8_t(cells[pos] - n);
    }
    if (cells[posA] == ISLAND_BASE) --group.openIslands;
    if (cells[posB] == ISLAND_BASE) --group.openIslands;
}

void SolverBoard::clearHorizontalRun(int pos) {
    for (int x = pos; cells[x] == WATER; --x)
        masks[x] &= std::uint8_t(~H_LINE_BITS);
    for (int x = pos + 1; cells[x] == WATER; ++x)
        masks[x] &= std::uint8_t(~H_LINE_BITS);
}

void SolverBoard::clearVerticalRun(int pos) {
    const int w = stride();
    for (int x = pos; cells[x] == WATER; x -= w)
        masks[x] &= std::uint8_t(~V_LINE_BITS);
    for (int x = pos + w; cells[x] == WATER; x += w)
        masks[x] &= std::uint8_t(~V_LINE_BITS);
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
    if (state == LINE_CLOSED && count != 0) layBridges(upper, lower, count);
}

// A board without islands has no group to look at and is not counted as solved: there is
// nothing for the solver to finish.
bool SolverBoard::isSolved() const {
    if (liveGroups > 1) return false;
    std::uint16_t remembered = NO_GROUP;
    const int w = stride();
    for (int r = 1; r < height - 1; ++r) {
        for (int pos = r * w + 1, end = r * w + w - 1; pos < end; ++pos) {
            const std::uint8_t code = cells[pos];
            if (code > ISLAND_BASE) return false;
            if (code != ISLAND_BASE) continue;
            if (remembered == NO_GROUP)
                remembered = groupIds[pos];
            else if (groupIds[pos] != remembered)
                return false;
        }
    }
    if (remembered == NO_GROUP) return false;
    return groups[remembered].demand == 0 && groups[remembered].openIslands == 0;
}

bool SolverBoard::isRefuted() const {
    if (contradiction) return true;
    int total = 0;
    bool closedGroup = false;
    forEachInterior([&](int pos) {
        const std::uint8_t code = cells[pos];
        if (code < ISLAND_BASE) return;
        total += code - ISLAND_BASE;
        const IslandGroup& group = groups[groupIds[pos]];
        if (group.demand == 0 || group.openIslands == 0) closedGroup = true;
    });
    if (liveGroups == 1) return groups[0].demand != total;
    // A finished group can never be joined to the others.
    if (closedGroup) return true;
    int sum = 0;
    for (const IslandGroup& group : groups) {
        if (group.demand < 0) return true;
        sum += group.demand;
    }
    return sum != total;
}

}  // namespace spanwright
