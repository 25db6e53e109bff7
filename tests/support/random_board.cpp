#include "tests/support/random_board.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace spanwright::testing {
namespace {

constexpr int ROW_STEP[4] = {0, 0, -1, 1};
constexpr int COLUMN_STEP[4] = {-1, 1, 0, 0};

/// The growing layout: per cell an island's bridge count, or whether a bridge passes.
struct Layout {
    int width;
    int height;
    std::vector<int> bridgesAt;  ///< an island's bridges so far; -1 for water
    std::vector<char> crossed;   ///< a bridge passes through this water cell
    std::vector<int> pairCount;  ///< per cell and direction 1 (right) or 3 (down): bridges

    /// The cell k steps from `cell` in direction d, or -1 off the board.
    int ray(int cell, int d, int k) const {
        const int r = cell / width + k * ROW_STEP[d];
        const int c = cell % width + k * COLUMN_STEP[d];
        return r >= 0 && c >= 0 && r < height && c < width ? r * width + c : -1;
    }
};

int draw(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

/// Where the bridge count of the pair from `cell` to `end` in direction d is kept: at the
/// left or upper island of the pair.
int& pairCount(Layout& layout, int cell, int end, int d) {
    const int first = d == 0 || d == 2 ? end : cell;
    return layout.pairCount[std::size_t(2 * first + (d < 2 ? 0 : 1))];
}

/// Lays `n` bridges from the island at `cell` in direction d over `length` cells to the
/// island there, marking the water between.
void lay(Layout& layout, int cell, int d, int length, int n) {
    for (int k = 1; k < length; ++k)
        layout.crossed[layout.ray(cell, d, k)] = 1;
    const int end = layout.ray(cell, d, length);
    layout.bridgesAt[cell] += n;
    layout.bridgesAt[end] += n;
    pairCount(layout, cell, end, d) += n;
}

}  // namespace

Puzzle randomSolvableBoard(std::mt19937& random, int width, int height, int islands, int longest,
                           Solution* laid) {
    Layout layout{width, height, std::vector<int>(std::size_t(width * height), -1),
                  std::vector<char>(std::size_t(width * height), 0),
                  std::vector<int>(std::size_t(2 * width * height), 0)};
    std::vector<int> placed{draw(random, 0, width * height - 1)};
    layout.bridgesAt[placed[0]] = 0;

    // Growth: from a placed island, a straight run of free water to a free cell.
    for (int attempt = 0; attempt < 50 * islands && int(placed.size()) < islands; ++attempt) {
        const int from = placed[std::size_t(draw(random, 0, int(placed.size()) - 1))];
        const int d = draw(random, 0, 3);
        const int length = draw(random, 2, longest);
        bool free = true;
        for (int k = 1; k <= length && free; ++k) {
            const int cell = layout.ray(from, d, k);
            free = cell >= 0 && layout.bridgesAt[cell] < 0 && !layout.crossed[cell];
        }
        if (!free) continue;
        const int to = layout.ray(from, d, length);
        layout.bridgesAt[to] = 0;
        lay(layout, from, d, length, draw(random, 1, 2));
        placed.push_back(to);
    }

    // Extra bridges between islands that face each other across water that no other
    // bridge crosses.
    for (int attempt = 0; attempt < 2 * int(placed.size()); ++attempt) {
        const int from = placed[std::size_t(draw(random, 0, int(placed.size()) - 1))];
        const int d = draw(random, 0, 3);
        int length = 1;
        bool crossed = false;
        for (; layout.ray(from, d, length) >= 0; ++length) {
            const int cell = layout.ray(from, d, length);
            if (layout.bridgesAt[cell] >= 0) break;
            crossed = crossed || layout.crossed[cell];
        }
        const int to = layout.ray(from, d, length);
        if (to < 0 || length < 2) continue;
        const int count = pairCount(layout, from, to, d);
        if ((crossed && count == 0) || count == 2) continue;
        lay(layout, from, d, length, 1);
    }

    if (laid) {
        laid->clear();
        for (int cell = 0; cell < width * height; ++cell)
            for (const int d : {1, 3}) {
                const int count = layout.pairCount[std::size_t(2 * cell + (d == 1 ? 0 : 1))];
                if (count == 0) continue;
                int end = layout.ray(cell, d, 1);
                while (layout.bridgesAt[end] < 0)
                    end = layout.ray(end, d, 1);
                laid->push_back({cell / width, cell % width, end / width, end % width, count});
            }
    }

    Puzzle puzzle;
    puzzle.width = std::int8_t(width);
    puzzle.height = std::int8_t(height);
    puzzle.allocateCells();
    for (int i = 0; i < width * height; ++i)
        if (layout.bridgesAt[i] > 0)
            puzzle.cells[i] = std::uint8_t(ISLAND_BASE + layout.bridgesAt[i]);
    return puzzle;
}

void nudgeIsland(std::mt19937& random, Puzzle& puzzle) {
    std::vector<int> raisable;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        if (puzzle.cells[i] > ISLAND_BASE && puzzle.cells[i] < ISLAND_BASE + 8)
            raisable.push_back(i);
    if (raisable.empty()) return;
    ++puzzle.cells[raisable[std::size_t(draw(random, 0, int(raisable.size()) - 1))]];
}

Puzzle spanningTreeLattice(std::mt19937& random, int side) {
    // Kruskal's way over the links in random order: a uniform-looking tree with many
    // branches, each link adding one bridge end to both islands.
    std::vector<std::pair<int, int>> links;
    for (int k = 0; k < side * side; ++k) {
        if (k % side + 1 < side) links.emplace_back(k, k + 1);
        if (k + side < side * side) links.emplace_back(k, k + side);
    }
    std::shuffle(links.begin(), links.end(), random);
    std::vector<int> degree(std::size_t(side * side), 0), root(degree.size());
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](int x) {
        while (root[std::size_t(x)] != x)
            x = root[std::size_t(x)] = root[std::size_t(root[std::size_t(x)])];
        return x;
    };
    for (const auto& [a, b] : links) {
        if (find(a) == find(b)) continue;
        root[std::size_t(find(a))] = find(b);
        ++degree[std::size_t(a)], ++degree[std::size_t(b)];
    }
    Puzzle puzzle;
    puzzle.width = puzzle.height = std::int8_t(2 * side - 1);
    puzzle.allocateCells();
    for (int k = 0; k < side * side; ++k)
        puzzle.cells[2 * (k / side) * puzzle.width + 2 * (k % side)] =
            std::uint8_t(ISLAND_BASE + degree[std::size_t(k)]);
    return puzzle;
}

}  // namespace spanwright::testing
