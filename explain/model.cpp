#include "explain/model.h"

#include <algorithm>
#include <numeric>

namespace spanwright::explain {

void Geometry::build(const Puzzle& puzzle) {
    width = puzzle.width;
    height = puzzle.height;
    const int cells = puzzle.cellCount();
    islandAtCell.assign(std::size_t(std::max(cells, 0)), -1);
    row.clear(), column.clear(), need.clear(), fewest.clear(), unnumbered.clear(), lineAt.clear();
    for (int cell = 0; cell < cells; ++cell) {
        const int code = puzzle.cells[std::size_t(cell)];
        if (code < ISLAND_BASE) continue;
        islandAtCell[std::size_t(cell)] = int(row.size());
        row.push_back(cell / width);
        column.push_back(cell % width);
        const bool open = code == UNKNOWN_ISLAND;
        // Until its lines are known, an island without a number may take the most any can.
        need.push_back(open ? MAX_CLUE : code - ISLAND_BASE);
        fewest.push_back(open ? 1 : code - ISLAND_BASE);
        unnumbered.push_back(open);
        lineAt.push_back({-1, -1, -1, -1});
    }

    // A line runs over water only; two islands side by side have no water between them
    // and so no line. The line's number is its place in the order of a Solution.
    lineA.clear(), lineB.clear(), horizontal.clear(), initialMost.clear();
    std::vector<int> lineOfCell(islandAtCell.size(), -1);
    for (int island = 0; island < islandCount(); ++island) {
        for (const int dir : {RIGHT, DOWN}) {
            const int step = dir == RIGHT ? 1 : width;
            int r = row[std::size_t(island)], c = column[std::size_t(island)];
            int length = 0;
            int far = -1;
            for (;;) {
                dir == RIGHT ? ++c : ++r;
                if (c >= width || r >= height) break;
                const int cell = r * width + c;
                far = islandAtCell[std::size_t(cell)];
                if (far >= 0) break;
                ++length;
            }
            if (far < 0 || length == 0) continue;
            const int line = lineCount();
            lineA.push_back(island);
            lineB.push_back(far);
            horizontal.push_back(dir == RIGHT);
            initialMost.push_back(std::int8_t(std::min(
                {MAX_BRIDGES_PER_LINE, need[std::size_t(island)], need[std::size_t(far)]})));
            lineAt[std::size_t(island)][std::size_t(dir)] = line;
            lineAt[std::size_t(far)][std::size_t(dir == RIGHT ? LEFT : UP)] = line;
            if (dir == RIGHT) {
                const int start = row[std::size_t(island)] * width + column[std::size_t(island)];
                for (int k = 1; k <= length; ++k) {
                    const int cell = start + k * step;
                    lineOfCell[std::size_t(cell)] = line;
                }
            }
        }
    }

    // An island without a number takes at most what its lines can carry.
    for (int island = 0; island < islandCount(); ++island) {
        if (!unnumbered[std::size_t(island)]) continue;
        const auto& around = lineAt[std::size_t(island)];
        need[std::size_t(island)] =
            std::accumulate(around.begin(), around.end(), 0, [&](int most, int line) {
                return line >= 0 ? most + initialMost[std::size_t(line)] : most;
            });
    }

    // Crossings: a vertical line crosses every horizontal line over one of its cells. Each
    // line's list is in rising order: a vertical line meets the horizontal ones from the
    // top down, which is the order of their numbers, and a horizontal one meets the
    // vertical ones in the order they are walked. So two passes place them, the first
    // counting and the second filling, with no sort.
    crossStart.assign(std::size_t(lineCount()) + 1, 0);
    const auto eachCrossing = [&](const auto& visit) {
        for (int line = 0; line < lineCount(); ++line) {
            if (horizontal[std::size_t(line)]) continue;
            const int a = lineA[std::size_t(line)];
            for (int cell = (row[std::size_t(a)] + 1) * width + column[std::size_t(a)];
                 islandAtCell[std::size_t(cell)] < 0; cell += width) {
                const int across = lineOfCell[std::size_t(cell)];
                if (across >= 0) visit(line, across);
            }
        }
    };
    eachCrossing([&](int down, int across) {
        ++crossStart[std::size_t(down) + 1];
        ++crossStart[std::size_t(across) + 1];
    });
    for (int line = 0; line < lineCount(); ++line)
        crossStart[std::size_t(line) + 1] += crossStart[std::size_t(line)];
    crossList.resize(std::size_t(crossStart.back()));
    std::vector<int> filled(crossStart.begin(), crossStart.end() - 1);
    eachCrossing([&](int down, int across) {
        crossList[std::size_t(filled[std::size_t(down)]++)] = across;
        crossList[std::size_t(filled[std::size_t(across)]++)] = down;
    });
}

int Geometry::lineBetween(int row1, int column1, int row2, int column2) const {
    const auto inside = [&](int r, int c) { return r >= 0 && c >= 0 && r < height && c < width; };
    if (!inside(row1, column1) || !inside(row2, column2)) return -1;
    const int cell1 = row1 * width + column1, cell2 = row2 * width + column2;
    const int a = islandAtCell[std::size_t(cell1)];
    const int b = islandAtCell[std::size_t(cell2)];
    if (a < 0 || b < 0) return -1;
    const auto& around = lineAt[std::size_t(a)];
    const auto joining = std::find_if(around.begin(), around.end(), [&](int line) {
        return line >= 0 && other(line, a) == b && lineA[std::size_t(line)] == a;
    });
    return joining == around.end() ? -1 : *joining;
}

void State::reset(const Geometry& geometry) {
    const std::size_t lines = std::size_t(geometry.lineCount()),
                      islands = std::size_t(geometry.islandCount());
    least.assign(lines, 0);
    most.assign(geometry.initialMost.begin(), geometry.initialMost.end());
    known.assign(islands, 0);
    parent.resize(islands);
    next.resize(islands);
    for (std::size_t i = 0; i < islands; ++i)
        parent[i] = next[i] = int(i);
    demand.assign(geometry.need.begin(), geometry.need.end());
    size.assign(islands, 1);
    contradiction = false;
    faultIsland = -1;
    faultKind = Fault::Short;
}

void State::copyFrom(const State& other) {
    // Same sizes every time, so assign reuses the storage.
    least.assign(other.least.begin(), other.least.end());
    most.assign(other.most.begin(), other.most.end());
    known.assign(other.known.begin(), other.known.end());
    parent.assign(other.parent.begin(), other.parent.end());
    next.assign(other.next.begin(), other.next.end());
    demand.assign(other.demand.begin(), other.demand.end());
    size.assign(other.size.begin(), other.size.end());
    contradiction = other.contradiction;
    faultIsland = other.faultIsland;
    faultKind = other.faultKind;
}

void State::narrow(const Geometry& g, int line, int newLeast, int newMost) {
    const std::size_t l = std::size_t(line);
    const int a = g.lineA[l], b = g.lineB[l];
    newLeast = std::max(newLeast, int(least[l]));
    newMost = std::min(newMost, int(most[l]));
    if (newLeast > newMost) {
        fail(a, Fault::Short);
        return;
    }
    const int added = newLeast - least[l];
    least[l] = std::int8_t(newLeast);
    most[l] = std::int8_t(newMost);
    if (added == 0) return;
    known[std::size_t(a)] += added;
    known[std::size_t(b)] += added;
    if (known[std::size_t(a)] > g.need[std::size_t(a)]) fail(a, Fault::OverFull);
    if (known[std::size_t(b)] > g.need[std::size_t(b)]) fail(b, Fault::OverFull);
    int ra = root(a), rb = root(b);
    if (ra != rb) {
        if (size[std::size_t(ra)] < size[std::size_t(rb)]) std::swap(ra, rb);
        parent[std::size_t(rb)] = ra;
        std::swap(next[std::size_t(ra)], next[std::size_t(rb)]);  // one ring of both groups
        size[std::size_t(ra)] += size[std::size_t(rb)];
        demand[std::size_t(ra)] += demand[std::size_t(rb)];
    }
    demand[std::size_t(ra)] -= 2 * added;
    // A group with nothing left to take is finished; unless it holds every island, it can
    // never be joined to the rest.
    if (demand[std::size_t(ra)] == 0 && size[std::size_t(ra)] < g.islandCount())
        fail(a, Fault::CutOff);
}

bool State::solved(const Geometry& g) const {
    if (contradiction || g.islandCount() == 0) return false;
    for (int island = 0; island < g.islandCount(); ++island) {
        if (wanting(g, island) > 0) return false;
        if (spare(g, island) == 0) continue;
        // An island without a number is done when no line of it can change any more.
        if (!g.unnumbered[std::size_t(island)]) return false;
        const auto& around = g.lineAt[std::size_t(island)];
        if (std::any_of(around.begin(), around.end(), [&](int line) {
                return line >= 0 && effectiveMost(g, line) != least[std::size_t(line)];
            }))
            return false;
    }
    if (size[std::size_t(root(0))] != g.islandCount()) return false;
    // The easy rules do not look at crossings, so a board they finish may still hold two
    // bridges that cross: that is no solution.
    for (int line = 0; line < g.lineCount(); ++line) {
        if (least[std::size_t(line)] == 0) continue;
        for (int k = g.crossStart[std::size_t(line)]; k < g.crossStart[std::size_t(line) + 1]; ++k)
            if (least[std::size_t(g.crossList[std::size_t(k)])] > 0) return false;
    }
    return true;
}

}  // namespace spanwright::explain
