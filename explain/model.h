#pragma once
// The stepwise solver's view of a puzzle: islands, the lines between facing islands, which
// lines cross, and the least and most bridges each line may still carry. Everything the
// rules look at is in flat arrays indexed by island or line, so a state is copied for a
// trial by copying a handful of vectors of the same size (no allocation once sized).

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright::explain {

/// Directions of the lines at an island, in the order the rules visit them.
enum Direction { LEFT = 0, RIGHT = 1, UP = 2, DOWN = 3 };

/// What went wrong first in a position found impossible, for a sentence: an island left
/// short of its bridges, one given too many, or a group cut off from the other islands.
enum class Fault { Short, OverFull, CutOff };

/// The fixed part: where the islands are and which lines exist. Islands are numbered in
/// row-major order, lines in the order of a Solution (by the upper or left island, its
/// line to the right before the one down).
struct Geometry {
    int width = 0;
    int height = 0;
    std::vector<int> row, column;  ///< per island
    /// Per island: its number, or for an island whose number is not given the most its
    /// lines can carry. Every rule that bounds a line from above reads this.
    std::vector<int> need;
    /// Per island: the fewest bridges it may take: its number, or 1 where it has none.
    /// Every rule that gives a line a bridge reads this.
    std::vector<int> fewest;
    std::vector<std::uint8_t> unnumbered;    ///< per island: its number is not given
    std::vector<std::array<int, 4>> lineAt;  ///< per island and direction: a line or -1
    std::vector<int> lineA, lineB;           ///< per line: upper or left island, the other
    std::vector<std::uint8_t> horizontal;    ///< per line
    /// Per line: MAX_BRIDGES_PER_LINE, or less where an end needs less.
    std::vector<std::int8_t> initialMost;
    std::vector<int> crossStart, crossList;  ///< per line: the lines it crosses (CSR)
    std::vector<int> islandAtCell;           ///< per puzzle cell: an island or -1

    int islandCount() const { return int(row.size()); }
    int lineCount() const { return int(lineA.size()); }
    /// The island at the far end of `line` from `island`.
    int other(int line, int island) const {
        return lineA[line] == island ? lineB[line] : lineA[line];
    }
    /// The line between the islands at these puzzle cells, or -1.
    int lineBetween(int row1, int column1, int row2, int column2) const;
    void build(const Puzzle& puzzle);
};

/// The changing part: per line its bounds, per island its bridges known so far, and the
/// groups of islands joined by known bridges (union by size, no path compression, so that
/// reading a group never writes).
struct State {
    std::vector<std::int8_t> least, most;  ///< per line
    std::vector<int> known;                ///< per island: the sum of least over its lines
    /// Union-find over islands; at roots the group's size and its demand, the most bridges
    /// its islands can still take (each bridge inside the group counted at both ends).
    std::vector<int> parent, demand, size;
    std::vector<int> next;  ///< per island: the next member of its group, round in a ring
    bool contradiction = false;
    /// What went wrong first, for a trial's sentence: an island, and how.
    int faultIsland = -1;
    Fault faultKind = Fault::Short;

    void reset(const Geometry& geometry);
    void copyFrom(const State& other);
    int root(int island) const {
        while (parent[std::size_t(island)] != island)
            island = parent[std::size_t(island)];
        return island;
    }
    /// Bridges the island can still take beyond those known (at most).
    int spare(const Geometry& g, int island) const {
        return g.need[std::size_t(island)] - known[std::size_t(island)];
    }
    /// Bridges the island must still take beyond those known (at least; may be negative
    /// for an island without a number that has more than one already).
    int wanting(const Geometry& g, int island) const {
        return g.fewest[std::size_t(island)] - known[std::size_t(island)];
    }
    /// The most the line can carry given what both ends can still take. Inline, as every
    /// rule asks it of every line it looks at.
    int effectiveMost(const Geometry& g, int line) const {
        const std::size_t l = std::size_t(line);
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = least[l];
        return std::max(
            low, std::min({int(most[l]), low + spare(g, g.lineA[l]), low + spare(g, g.lineB[l])}));
    }
    void fail(int island, Fault kind) {
        if (!contradiction) faultIsland = island, faultKind = kind;
        contradiction = true;
    }
    /// Narrows `line` to [least, most]; keeps the counts and groups, and flags a
    /// contradiction for an empty range, an over-full island or a group cut off early.
    void narrow(const Geometry& g, int line, int newLeast, int newMost);
    /// Every line settled, every island full (one without a number: at least one bridge
    /// and every line settled), one group and no two bridges crossing.
    bool solved(const Geometry& g) const;
};

}  // namespace spanwright::explain
