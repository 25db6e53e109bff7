#include "maker/layout.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace spanwright::maker {
namespace {

// Directions: right, down, left, up. Right and down come first so that a walk over the
// first two finds every line once, from its left or upper end.
constexpr std::array<int, 4> ROW_STEP = {0, 1, 0, -1};
constexpr std::array<int, 4> COLUMN_STEP = {1, 0, -1, 0};

class Drawer {
  public:
    Drawer(RandomSource& random, const LayoutShape& shape, Layout& layout)
        : random_(random), shape_(shape), layout_(layout), w_(shape.width), h_(shape.height) {
        layout_.width = w_;
        layout_.height = h_;
        const std::size_t area = std::size_t(w_) * std::size_t(h_);
        layout_.cells.assign(area, LAYOUT_WATER);
        layout_.islands.clear();
        layout_.edges.clear();
        group_.assign(area, -1);
    }

    bool draw();

  private:
    int row(int cell) const { return cell / w_; }
    int column(int cell) const { return cell % w_; }
    /// The cell `steps` away from `cell` in direction `d`, or -1 off the board.
    int moved(int cell, int d, int steps) const {
        const int r = row(cell) + ROW_STEP[std::size_t(d)] * steps;
        const int c = column(cell) + COLUMN_STEP[std::size_t(d)] * steps;
        return r < 0 || r >= h_ || c < 0 || c >= w_ ? -1 : r * w_ + c;
    }
    int image(int cell) const { return imageOf(cell, w_, h_, shape_.symmetry); }
    bool isIsland(int cell) const { return layout_.cells[std::size_t(cell)] == LAYOUT_ISLAND; }
    /// Water with no island beside it: an island may go there.
    bool placeable(int cell) const;
    void placeIsland(int cell);
    /// Lays a bridge from island a going `d` for `length` cells to island b.
    void layBridge(int a, int d, int length);
    /// True when the `length - 1` cells after `from` in direction d are all water.
    bool clearRun(int from, int d, int length) const;
    bool grow(int from, int d, int length);
    int findGroup(int island);
    void join(int a, int b);
    bool connectGroups();
    void addLoops();
    /// A bridge cell with no island beside it: an island there splits the bridge in two.
    bool splittable(int cell) const;
    void split(int cell);
    bool trySplit(int cell);
    /// Takes every growth and split left, in random order, until the target is met or
    /// nothing fits.
    void fill(int target);

    RandomSource& random_;
    const LayoutShape& shape_;
    Layout& layout_;
    int w_;
    int h_;
    std::vector<int> group_;  // union-find parent per island cell
    int groups_ = 0;
};

bool Drawer::placeable(int cell) const {
    if (layout_.cells[std::size_t(cell)] != LAYOUT_WATER) return false;
    // Drawing a layout is a good part of a large board's cost, and this is its inner
    // loop: the neighbours by offset, with one division for the whole cell.
    const int c = column(cell);
    return (c + 1 >= w_ || !isIsland(cell + 1)) && (c == 0 || !isIsland(cell - 1)) &&
           (cell + w_ >= w_ * h_ || !isIsland(cell + w_)) && (cell < w_ || !isIsland(cell - w_));
}

void Drawer::placeIsland(int cell) {
    layout_.cells[std::size_t(cell)] = LAYOUT_ISLAND;
    layout_.islands.push_back(cell);
    group_[std::size_t(cell)] = cell;
    ++groups_;
}

int Drawer::findGroup(int island) {
    int root = island;
    while (group_[std::size_t(root)] != root)
        root = group_[std::size_t(root)];
    while (group_[std::size_t(island)] != root) {
        const int next = group_[std::size_t(island)];
        group_[std::size_t(island)] = root;
        island = next;
    }
    return root;
}

void Drawer::join(int a, int b) {
    const int ra = findGroup(a);
    const int rb = findGroup(b);
    if (ra == rb) return;
    group_[std::size_t(ra)] = rb;
    --groups_;
}

bool Drawer::clearRun(int from, int d, int length) const {
    if (length < 2) return true;
    // The run is on the board when its last cell is.
    if (moved(from, d, length - 1) < 0) return false;
    const int step = ROW_STEP[std::size_t(d)] * w_ + COLUMN_STEP[std::size_t(d)];
    for (int k = 1, cell = from + step; k < length; ++k, cell += step)
        if (layout_.cells[std::size_t(cell)] != LAYOUT_WATER) return false;
    return true;
}

void Drawer::layBridge(int a, int d, int length) {
    const std::uint8_t code = d % 2 == 0 ? LAYOUT_ACROSS : LAYOUT_DOWN;
    for (int k = 1; k < length; ++k)
        layout_.cells[std::size_t(moved(a, d, k))] = code;
    const int b = moved(a, d, length);
    layout_.edges.push_back({std::min(a, b), std::max(a, b), 1});
    join(a, b);
}

bool Drawer::grow(int from, int d, int length) {
    const int to = moved(from, d, length);
    if (to < 0 || !placeable(to) || !clearRun(from, d, length)) return false;
    const int fromImage = image(from);
    const int toImage = image(to);
    // The image bridge is the same bridge (it crosses the axis or the centre) or ends on
    // the new island itself: one bridge keeps the island positions symmetric.
    const bool selfImage = (fromImage == to && toImage == from) || toImage == to;
    if (!selfImage) {
        // The image of the new bridge must fit beside the new one: its cells free and not
        // on the new bridge, its island not next to the new island.
        int imageDirection = 0;
        for (; imageDirection < 4; ++imageDirection)
            if (moved(fromImage, imageDirection, length) == toImage) break;
        if (imageDirection == 4 || !placeable(toImage) ||
            !clearRun(fromImage, imageDirection, length))
            return false;
        for (int k = 1; k < length; ++k)
            if (moved(fromImage, imageDirection, k) == to) return false;
        for (int k = 1; k < length; ++k) {
            const int cell = moved(from, d, k);
            for (int j = 0; j <= length; ++j)
                if (moved(fromImage, imageDirection, j) == cell) return false;
        }
        for (int e = 0; e < 4; ++e)
            if (moved(to, e, 1) == toImage) return false;
        placeIsland(to);
        layBridge(from, d, length);
        placeIsland(toImage);
        layBridge(fromImage, imageDirection, length);
        return true;
    }
    placeIsland(to);
    layBridge(from, d, length);
    return true;
}

bool Drawer::splittable(int cell) const {
    const std::uint8_t code = layout_.cells[std::size_t(cell)];
    if (code != LAYOUT_ACROSS && code != LAYOUT_DOWN) return false;
    for (int d = 0; d < 4; ++d) {
        const int next = moved(cell, d, 1);
        if (next >= 0 && isIsland(next)) return false;
    }
    return true;
}

void Drawer::split(int cell) {
    // The ends: walk back and forward along the bridge to the islands.
    const int back = layout_.cells[std::size_t(cell)] == LAYOUT_ACROSS ? 2 : 3;
    int a = cell;
    while (!isIsland(a))
        a = moved(a, back, 1);
    int b = cell;
    while (!isIsland(b))
        b = moved(b, back - 2, 1);
    // Bridges never cross, so the cell is on exactly one of them.
    const auto edge = std::find_if(layout_.edges.begin(), layout_.edges.end(),
                                   [&](const Edge& e) { return e.a == a && e.b == b; });
    const int count = edge->count;
    edge->b = cell;
    layout_.edges.push_back({cell, b, count});
    placeIsland(cell);
    join(cell, a);
}

bool Drawer::trySplit(int cell) {
    if (!splittable(cell)) return false;
    const int mirrored = image(cell);
    if (mirrored != cell) {
        if (!splittable(mirrored)) return false;
        for (int d = 0; d < 4; ++d)
            if (moved(cell, d, 1) == mirrored) return false;
    }
    split(cell);
    if (mirrored != cell) split(mirrored);
    return true;
}

void Drawer::fill(int target) {
    // Moves are (cell, what): what is -1 for a split, else direction * 4 + length for a
    // short growth from the island at cell. Short bridges and splits are what a crowded
    // board still has room for.
    std::vector<std::pair<int, int>> moves;
    for (;;) {
        moves.clear();
        for (int cell = 0; cell < w_ * h_; ++cell)
            if (splittable(cell)) moves.emplace_back(cell, -1);
        for (const int from : layout_.islands)
            for (int d = 0; d < 4; ++d)
                for (int length = 2; length <= 3; ++length) {
                    const int to = moved(from, d, length);
                    if (to >= 0 && placeable(to) && clearRun(from, d, length))
                        moves.emplace_back(from, d * 4 + length);
                }
        for (int k = int(moves.size()) - 1; k >= 1; --k)
            std::swap(moves[std::size_t(k)], moves[std::size_t(random_.drawBelow(k + 1))]);
        bool placed = false;
        for (const auto& [cell, what] : moves) {
            if (int(layout_.islands.size()) >= target) return;
            placed = (what < 0 ? trySplit(cell) : grow(cell, what / 4, what % 4)) || placed;
        }
        if (!placed) return;
    }
}

bool Drawer::connectGroups() {
    // Join the groups left apart (the two halves of a symmetric board, most often) by any
    // free line between islands of different groups, islands in random order.
    std::vector<int> order = layout_.islands;
    for (int pass = 0; pass < 4 && groups_ > 1; ++pass) {
        for (int k = int(order.size()) - 1; k >= 1; --k)
            std::swap(order[std::size_t(k)], order[std::size_t(random_.drawBelow(k + 1))]);
        for (int a : order) {
            for (int d = 0; d < 4 && groups_ > 1; ++d) {
                int length = 1;
                int cell = moved(a, d, 1);
                while (cell >= 0 && layout_.cells[std::size_t(cell)] == LAYOUT_WATER) {
                    ++length;
                    cell = moved(a, d, length);
                }
                if (cell < 0 || !isIsland(cell) || length < 2) continue;
                if (findGroup(a) == findGroup(cell)) continue;
                layBridge(a, d, length);
            }
        }
    }
    return groups_ == 1;
}

void Drawer::addLoops() {
    if (shape_.loopPercent <= 0) return;
    const std::vector<int> order = layout_.islands;
    for (int a : order) {
        for (int d = 0; d < 2; ++d) {
            int length = 1;
            int cell = moved(a, d, 1);
            while (cell >= 0 && layout_.cells[std::size_t(cell)] == LAYOUT_WATER) {
                ++length;
                cell = moved(a, d, length);
            }
            if (cell < 0 || !isIsland(cell) || length < 2) continue;
            if (random_.drawBelow(100) < shape_.loopPercent) layBridge(a, d, length);
        }
    }
}

bool Drawer::draw() {
    const int cells = w_ * h_;
    const int target = std::max(2, (cells * shape_.islandPercent + 50) / 100);
    const int longest = std::max(2, std::max(w_, h_) / 2);

    const int first = random_.drawBelow(cells);
    placeIsland(first);
    const int firstImage = image(first);
    if (firstImage != first) {
        bool beside = false;
        for (int d = 0; d < 4; ++d)
            beside = beside || moved(first, d, 1) == firstImage;
        if (beside) return false;
        placeIsland(firstImage);
    }
    // Grow from random islands in random directions; give up on the target once many
    // draws in a row found no room, as a crowded board has little left. One draw picks
    // the island, the direction and the length together: the layout is most of a cheap
    // puzzle's cost, and a crowded board misses often.
    const int patience = 20 + 2 * target;
    const int spread = std::max(1, longest - 1);
    for (int misses = 0; int(layout_.islands.size()) < target && misses < patience;) {
        const int islands = int(layout_.islands.size());
        int pick = random_.drawBelow(islands * 4 * spread);
        const int from = layout_.islands[std::size_t(pick % islands)];
        pick /= islands;
        const int d = pick % 4;
        // Lengths uniform up to half the board: when short ones were likelier, the islands
        // settled on a lattice two cells apart, which looked machine-made.
        // Where the drawn length finds no room, a shorter one may: trying them down to 2
        // lets a board fill up to the share asked for instead of stalling with gaps.
        // Only lengths over open water can grow (the cell at `open` is the first that is
        // not), so the walk along it is made once rather than once per length.
        const int drawn = 2 + pick / 4;
        int open = 1;
        for (int cell = moved(from, d, 1);
             open <= drawn && cell >= 0 && layout_.cells[std::size_t(cell)] == LAYOUT_WATER;)
            cell = moved(from, d, ++open);
        bool grown = false;
        for (int length = std::min(drawn, open - 1); length >= 2 && !grown; --length)
            grown = grow(from, d, length);
        misses = grown ? 0 : misses + 1;
    }
    if (int(layout_.islands.size()) < target) fill(target);
    if (layout_.islands.size() < 2 || !connectGroups()) return false;
    addLoops();
    redrawCounts(random_, shape_.doublePercent, layout_);
    return true;
}

}  // namespace

int imageOf(int cell, int width, int height, Symmetry symmetry) {
    const int r = cell / width;
    const int c = cell % width;
    switch (symmetry) {
        case Symmetry::Rotate:
            return (height - 1 - r) * width + (width - 1 - c);
        case Symmetry::Mirror:
            return r * width + (width - 1 - c);
        case Symmetry::None:
            break;
    }
    return cell;
}

bool drawLayout(RandomSource& random, const LayoutShape& shape, Layout& layout) {
    Drawer drawer(random, shape, layout);
    return drawer.draw();
}

namespace {

/// Whether `cell` is inside a bridge with no island beside it.
bool splittableCell(const Layout& layout, int cell) {
    const std::uint8_t code = layout.cells[std::size_t(cell)];
    if (code != LAYOUT_ACROSS && code != LAYOUT_DOWN) return false;
    const int w = layout.width, r = cell / w, c = cell % w;
    for (int d = 0; d < 4; ++d) {
        const int nr = r + ROW_STEP[std::size_t(d)], nc = c + COLUMN_STEP[std::size_t(d)];
        if (nr < 0 || nr >= layout.height || nc < 0 || nc >= w) continue;
        if (layout.cells[std::size_t(nr) * std::size_t(w) + std::size_t(nc)] == LAYOUT_ISLAND)
            return false;
    }
    return true;
}

/// Whether bridge `edge` runs along a row.
bool across(const Layout& layout, const Edge& edge) {
    return edge.a / layout.width == edge.b / layout.width;
}

/// The cells strictly inside bridge `edge`, in order from its first end.
void insideCells(const Layout& layout, const Edge& edge, std::vector<int>& cells) {
    cells.clear();
    const int step = across(layout, edge) ? 1 : layout.width;
    for (int cell = edge.a + step; cell < edge.b; cell += step)
        cells.push_back(cell);
}

/// Splits the bridge that passes through `cell` with a new island there.
void splitAt(Layout& layout, int cell) {
    const int w = layout.width;
    for (Edge& edge : layout.edges) {
        if (cell <= edge.a || cell >= edge.b) continue;
        if (across(layout, edge) ? cell / w != edge.a / w : cell % w != edge.a % w) continue;
        const Edge after{cell, edge.b, edge.count};
        edge.b = cell;
        layout.edges.push_back(after);
        layout.cells[std::size_t(cell)] = LAYOUT_ISLAND;
        layout.islands.push_back(cell);
        return;
    }
}

}  // namespace

bool splitEdge(RandomSource& random, Symmetry symmetry, Layout& layout, std::size_t edge) {
    std::vector<int> inside;
    insideCells(layout, layout.edges[edge], inside);
    const int w = layout.width, h = layout.height;
    const auto beside = [w](int x, int y) {
        return (x / w == y / w && (x - y == 1 || y - x == 1)) || x - y == w || y - x == w;
    };
    const auto fits = [&](int cell) {
        if (!splittableCell(layout, cell)) return false;
        const int mirrored = imageOf(cell, w, h, symmetry);
        return mirrored == cell || (splittableCell(layout, mirrored) && !beside(cell, mirrored));
    };
    inside.erase(
        std::remove_if(inside.begin(), inside.end(), [&](int cell) { return !fits(cell); }),
        inside.end());
    if (inside.empty()) return false;
    const int cell = inside[std::size_t(random.drawBelow(int(inside.size())))];
    const int mirrored = imageOf(cell, w, h, symmetry);
    splitAt(layout, cell);
    if (mirrored != cell) splitAt(layout, mirrored);
    return true;
}

bool addBridge(Layout& layout, int a, int b, int count) {
    const Edge edge{a, b, count};
    std::vector<int> inside;
    insideCells(layout, edge, inside);
    if (std::any_of(inside.begin(), inside.end(),
                    [&](int cell) { return layout.cells[std::size_t(cell)] != LAYOUT_WATER; }))
        return false;
    const std::uint8_t code = across(layout, edge) ? LAYOUT_ACROSS : LAYOUT_DOWN;
    for (const int cell : inside)
        layout.cells[std::size_t(cell)] = code;
    layout.edges.push_back(edge);
    return true;
}

void redrawCounts(RandomSource& random, int doublePercent, Layout& layout) {
    for (Edge& edge : layout.edges)
        edge.count = random.drawBelow(100) < doublePercent ? MAX_BRIDGES_PER_LINE : 1;
}

Puzzle Layout::puzzle() const {
    Puzzle made;
    made.width = std::int8_t(width);
    made.height = std::int8_t(height);
    made.allocateCells();
    for (int island : islands)
        made.cells[std::size_t(island)] = ISLAND_BASE;
    for (const Edge& edge : edges) {
        made.cells[std::size_t(edge.a)] =
            std::uint8_t(made.cells[std::size_t(edge.a)] + edge.count);
        made.cells[std::size_t(edge.b)] =
            std::uint8_t(made.cells[std::size_t(edge.b)] + edge.count);
    }
    return made;
}

Solution Layout::solution() const {
    // A Solution lists bridges by their first island row by row, the link to the right
    // before the one below; for a given first island the right link has the nearer end.
    std::vector<Edge> sorted = edges;
    std::sort(sorted.begin(), sorted.end(),
              [](const Edge& x, const Edge& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; });
    Solution bridges(sorted.size());
    std::transform(sorted.begin(), sorted.end(), bridges.begin(), [this](const Edge& edge) {
        return Bridge{edge.a / width, edge.a % width, edge.b / width, edge.b % width, edge.count};
    });
    return bridges;
}

}  // namespace spanwright::maker
