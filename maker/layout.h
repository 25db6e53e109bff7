#pragma once

// Random boards for the made-to-order generator: islands placed anywhere on a W x H grid,
// never side by side, joined by straight bridges that cross nothing, all one group. The
// layout is the solution; the clues are read off it afterwards.

#include <cstdint>
#include <vector>

#include "generator/random_source.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::maker {

/// Where islands may go relative to each other.
enum class Symmetry {
    None,
    Rotate,  ///< island positions unchanged by a half turn about the centre
    Mirror,  ///< island positions unchanged by reflection left to right
};

/// How a layout is drawn. Percentages are of the board's cells or of the bridges.
struct LayoutShape {
    int width = 10;          ///< columns
    int height = 10;         ///< rows
    int islandPercent = 25;  ///< target share of cells that are islands
    int loopPercent = 20;    ///< chance that two islands in sight of each other get a bridge
    int doublePercent = 40;  ///< chance that a bridge is double
    Symmetry symmetry = Symmetry::None;
};

/// One bridge of a layout: the cells of its ends (row-major, `a` left of or above `b`) and
/// how many bridges it holds: 1, or MAX_BRIDGES_PER_LINE for a double.
struct Edge {
    int a = 0;
    int b = 0;
    int count = 1;
};

/// A finished layout. Cells: LAYOUT_WATER, LAYOUT_ISLAND or a bridge code.
struct Layout {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> cells;
    std::vector<int> islands;  ///< island cells, in the order they were placed
    std::vector<Edge> edges;

    /// The puzzle whose clues are the bridge ends of every island (difficulty 0).
    Puzzle puzzle() const;
    /// The bridges in the order of a Solution.
    Solution solution() const;
};

inline constexpr std::uint8_t LAYOUT_WATER = 0;
inline constexpr std::uint8_t LAYOUT_ISLAND = 1;
inline constexpr std::uint8_t LAYOUT_ACROSS = 2;  ///< a horizontal bridge passes through
inline constexpr std::uint8_t LAYOUT_DOWN = 3;    ///< a vertical bridge passes through

/// The cell that `cell` maps to under `symmetry` on a width x height board.
int imageOf(int cell, int width, int height, Symmetry symmetry);

/// Draws a layout of `shape` with `random`. False when the islands could not be joined
/// into one group; the record is then unusable and a new draw is needed.
bool drawLayout(RandomSource& random, const LayoutShape& shape, Layout& layout);

/// Puts a new island on a cell inside bridge `edge` with no island beside it, splitting
/// the bridge in two of its count (and the image bridge likewise on a symmetric layout).
/// A ring of islands whose counts could all shift by one around it is what the rules of
/// the lower rungs cannot settle; an island on one of its sides makes the ring odd, which
/// no such shift fits. False, changing nothing, when no cell fits.
bool splitEdge(RandomSource& random, Symmetry symmetry, Layout& layout, std::size_t edge);

/// Lays a new bridge of `count` between the islands at cells `a` < `b`, which face each
/// other along a row or a column. False, changing nothing, when anything but water lies
/// between them.
bool addBridge(Layout& layout, int a, int b, int count);

/// Draws new bridge counts for the same islands and bridges, then rewrites nothing else.
void redrawCounts(RandomSource& random, int doublePercent, Layout& layout);

}  // namespace spanwright::maker
