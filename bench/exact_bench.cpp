// The exact verdict's cost per board, for every class of board the checking program meets:
// the reference problems, generated problems of side 20 and 25, dense random 40 x 40
// boards, and 125 x 125 boards tiled from generated problems; and two families of boards
// without a solution that only connectivity and parity rule out. Each iteration decides
// one board of the set; max_ms is the slowest single board.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "exact/exact_solver.h"
#include "generator/derivation.h"
#include "puzzle/problem_line.h"
#include "tests/support/random_board.h"

namespace spanwright {
namespace {

std::vector<Puzzle> problemsOf(const char* path) {
    std::vector<Puzzle> set;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        Puzzle puzzle;
        if (parseProblemLine(puzzle, line)) set.push_back(std::move(puzzle));
    }
    return set;
}

std::vector<Puzzle> generatedProblems(int side, int count) {
    RandomSource random{20261213 + side};
    std::vector<Puzzle> set(static_cast<std::size_t>(count));
    for (Puzzle& puzzle : set)
        generateProblem(random, side, side, puzzle);
    return set;
}

/// Random boards with an island on about every third cell and bridges of 1 to 3 cells of
/// water; `nudged` raises one island's number, which mostly leaves no solution.
std::vector<Puzzle> denseBoards(int side, int count, bool nudged) {
    std::mt19937 random(1313u + unsigned(side));
    std::vector<Puzzle> set;
    for (int i = 0; i < count; ++i) {
        set.push_back(testing::randomSolvableBoard(random, side, side, side * side / 3, 4));
        if (nudged) testing::nudgeIsland(random, set.back());
    }
    return set;
}

/// Places `tile` with its top left cell at (top, left) of `board`.
void place(Puzzle& board, const Puzzle& tile, int top, int left) {
    for (int r = 0; r < tile.height; ++r)
        for (int c = 0; c < tile.width; ++c)
            board.cells[(top + r) * board.width + left + c] = tile.cells[r * tile.width + c];
}

constexpr int TILES = 6;
constexpr int SIDE = 20;
constexpr int PITCH = SIDE + 1;
constexpr int BOARD = TILES * PITCH - 1;

/// Joins the two tiles on either side of a water line by one bridge across it: in the first
/// lane where the islands nearest to the line can take one more bridge and no bridge of
/// either tile's solution, nor an earlier joining bridge, lies in the way. (r0, c0) is the line's
/// first cell, (dr, dc) the step across it. Every tile keeps its solution, so the tiled board has a
/// connected one.
void join(Puzzle& board, std::vector<char>& crossedAt, int r0, int c0, int dr, int dc) {
    for (int lane = 0; lane < SIDE; ++lane) {
        const int r = r0 + lane * dc;
        const int c = c0 + lane * dr;
        auto cellAt = [&](int k) { return (r + k * dr) * BOARD + c + k * dc; };
        int a = -1;
        while (a >= -SIDE && board.cells[cellAt(a)] == 0)
            --a;
        int b = 1;
        while (b <= SIDE && board.cells[cellAt(b)] == 0)
            ++b;
        if (a < -SIDE || b > SIDE) continue;
        if (board.cells[cellAt(a)] >= ISLAND_BASE + 8 || board.cells[cellAt(b)] >= ISLAND_BASE + 8)
            continue;
        bool free = true;
        for (int k = a + 1; k < b && free; ++k)
            free = !crossedAt[std::size_t(cellAt(k))];
        if (!free) continue;
        for (int k = a + 1; k < b; ++k)
            crossedAt[std::size_t(cellAt(k))] = 1;
        ++board.cells[cellAt(a)];
        ++board.cells[cellAt(b)];
        return;
    }
}

/// Boards of 6 x 6 tiles of side 20 with one water line between neighbours, each tile a
/// generated problem, every pair of neighbours joined by a bridge.
std::vector<Puzzle> tiledBoards(const std::vector<Puzzle>& tiles, int count) {
    std::vector<Puzzle> set;
    for (int n = 0; n < count; ++n) {
        Puzzle board;
        board.width = board.height = std::int8_t(BOARD);
        board.allocateCells();
        // Where the tiles' own solutions lay bridges: water a joining bridge may not cross.
        std::vector<char> crossedAt(std::size_t(board.cellCount()), 0);
        for (int t = 0; t < TILES * TILES; ++t) {
            const Puzzle& tile = tiles[std::size_t(n * 7 + t) % tiles.size()];
            const int top = t / TILES * PITCH;
            const int left = t % TILES * PITCH;
            place(board, tile, top, left);
            const exact::ExactResult tileResult = exact::solveExactly(tile);
            for (const exact::Bridge& bridge : tileResult.solutions.at(0))
                for (int r = bridge.row1; r <= bridge.row2; ++r)
                    for (int c = bridge.column1; c <= bridge.column2; ++c)
                        if (tile.cells[r * SIDE + c] == 0)
                            crossedAt[std::size_t(top + r) * BOARD + std::size_t(left + c)] = 1;
        }
        for (int band = 0; band < TILES; ++band)
            for (int gap = SIDE; gap < BOARD; gap += PITCH) {
                join(board, crossedAt, band * PITCH, gap, 0, 1);
                join(board, crossedAt, gap, band * PITCH, 1, 0);
            }
        set.push_back(std::move(board));
    }
    return set;
}

const std::vector<Puzzle>& boardSet(int which) {
    static std::vector<Puzzle> sets[7];
    std::vector<Puzzle>& set = sets[which];
    if (set.empty()) {
        switch (which) {
            case 0:
                set = problemsOf(REFERENCE_PROBLEMS);
                break;
            case 1:
                set = generatedProblems(20, 10);
                break;
            case 2:
                set = generatedProblems(25, 6);
                break;
            case 3:
                set = denseBoards(40, 20, false);
                break;
            case 4:
                set = denseBoards(40, 20, true);
                break;
            case 5:
                set = tiledBoards(boardSet(1), 3);
                break;
            default:
                set = denseBoards(125, 3, false);
        }
    }
    return set;
}

void BM_ExactVerdict(benchmark::State& state) {
    const std::vector<Puzzle>& set = boardSet(int(state.range(0)));
    std::size_t next = 0;
    double slowest = 0;
    int verdicts[4] = {0, 0, 0, 0};
    for ([[maybe_unused]] auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const exact::ExactResult result = exact::solveExactly(set[next]);
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
        ++verdicts[int(result.verdict)];
        next = (next + 1) % set.size();
    }
    state.counters["boards"] = double(set.size());
    state.counters["max_ms"] = slowest;
    state.counters["none"] = verdicts[0];
    state.counters["unique"] = verdicts[1];
    state.counters["multiple"] = verdicts[2];
    state.counters["unknown"] = verdicts[3];
}
// 0 reference problems, 1 generated 20 x 20, 2 generated 25 x 25, 3 dense random 40 x 40,
// 4 the same nudged, 5 tiled 125 x 125, 6 dense random 125 x 125.
BENCHMARK(BM_ExactVerdict)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactVerdict)->DenseRange(5, 6)->Iterations(6)->Unit(benchmark::kMillisecond);

/// The boards without a solution of tools/hard_families.py, lattices of side 4 to 11, that
/// a search without the reasoning before it takes seconds to minutes over. Each verdict
/// gets a budget of a second, so that a regression shows as "unknown" verdicts and a
/// max_ms near 1000 rather than a run that does not end.
void BM_HardFamilies(benchmark::State& state) {
    static const std::vector<Puzzle> set = problemsOf(HARD_FAMILIES);
    exact::ExactLimits limits;
    limits.seconds = 1;
    std::size_t next = 0;
    double slowest = 0;
    int unknown = 0;
    for ([[maybe_unused]] auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        unknown += exact::solveExactly(set[next], limits).verdict == exact::Verdict::Unknown;
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
        next = (next + 1) % set.size();
    }
    state.counters["boards"] = double(set.size());
    state.counters["max_ms"] = slowest;
    state.counters["unknown"] = unknown;
}
BENCHMARK(BM_HardFamilies)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace spanwright
