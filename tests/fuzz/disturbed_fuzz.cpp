// Boards laid from random bridges, so that they have a solution, then disturbed so that
// many have none or several: one island's number raised or lowered, a bridge added
// between two islands that face each other, or a new island dropped into the water. The
// exact verdict is checked against the exhaustive counter on small boards and against the
// plain search (no counting, no moves) on larger ones, and every solution it gives against
// the independent checker: the counting must never rule out a board or a line that has a
// solution, and the moves must never make one up.
//
// Bytes: the width (3 + b % 18), the height (3 + b % 18), the share of islands (b % 4),
// the longest bridge (2 + b % 3), the disturbance (b % 5: none, up, down, bridge, island),
// then four bytes of seed.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "exact/exact_solver.h"
#include "puzzle/puzzle.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/random_board.h"
#include "tests/support/solution_check.h"

namespace {

constexpr int MAX_COUNTED_CELLS = 36;  // the counter is exhaustive; larger boards take long
constexpr double EXACT_SECONDS = 0.4;  // twice, well inside the fuzzer's 2 s a run

using spanwright::ISLAND_BASE;
using spanwright::Puzzle;

/// The bordered plane of a solution, as the judge takes it.
std::vector<std::uint8_t> planeOf(const Puzzle& puzzle, const spanwright::Solution& solution) {
    const int w = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(w * (puzzle.height + 2)), 0);
    for (int i = 0; i < puzzle.cellCount(); ++i)
        if (puzzle.cells[i] != 0)
            plane[std::size_t((i / puzzle.width + 1) * w + i % puzzle.width + 1)] = 5;
    for (const spanwright::Bridge& b : solution) {
        const bool across = b.row1 == b.row2;
        const std::uint8_t code = std::uint8_t((across ? 0 : 2) + b.bridges);
        for (int r = b.row1 + !across, c = b.column1 + across; r < b.row2 || c < b.column2;
             r += !across, c += across)
            plane[std::size_t((r + 1) * w + c + 1)] = code;
    }
    return plane;
}

/// The next island from `cell` in direction (dr, dc), or -1.
int facing(const Puzzle& p, int cell, int dr, int dc) {
    int r = cell / p.width + dr;
    int c = cell % p.width + dc;
    for (; r >= 0 && c >= 0 && r < p.height && c < p.width; r += dr, c += dc)
        if (p.cells[r * p.width + c] != 0) return r * p.width + c;
    return -1;
}

void disturb(Puzzle& p, int kind, std::mt19937& random) {
    std::vector<int> islands;
    std::vector<int> water;
    for (int i = 0; i < p.cellCount(); ++i)
        (p.cells[i] != 0 ? islands : water).push_back(i);
    if (islands.empty()) return;
    const int cell = islands[random() % islands.size()];
    switch (kind) {
        case 1:
            if (p.cells[cell] < ISLAND_BASE + 8) ++p.cells[cell];
            break;
        case 2:
            if (p.cells[cell] > ISLAND_BASE + 1) --p.cells[cell];
            break;
        case 3: {
            const int other = random() % 2 ? facing(p, cell, 0, 1) : facing(p, cell, 1, 0);
            // Neighbours touch: no bridge between them, so the numbers are left alone.
            const bool touching = other == cell + 1 || other == cell + p.width;
            if (other >= 0 && !touching && p.cells[cell] < ISLAND_BASE + 8 &&
                p.cells[other] < ISLAND_BASE + 8) {
                ++p.cells[cell];
                ++p.cells[other];
            }
            break;
        }
        case 4:
            if (!water.empty())
                p.cells[water[random() % water.size()]] =
                    std::uint8_t(ISLAND_BASE + 1 + random() % 4);
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    const int width = 3 + data[0] % 18;
    const int height = 3 + data[1] % 18;
    const int share = 2 + data[2] % 4;
    const int longest = 2 + data[3] % 3;
    const int kind = data[4] % 5;
    std::mt19937 random(std::uint32_t(data[5]) | std::uint32_t(data[6]) << 8 |
                        std::uint32_t(data[7]) << 16 | std::uint32_t(data[8]) << 24);
    Puzzle puzzle = spanwright::testing::randomSolvableBoard(random, width, height,
                                                             width * height / share, longest);
    disturb(puzzle, kind, random);
    bool islands = false;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        islands = islands || puzzle.cells[i] != 0;
    if (!islands) return 0;  // no puzzle: the counter and the solver define it differently

    spanwright::exact::ExactLimits limits;
    limits.seconds = EXACT_SECONDS;
    const spanwright::exact::ExactResult exact = spanwright::exact::solveExactly(puzzle, limits);
    if (exact.verdict == spanwright::exact::Verdict::Unknown) return 0;
    for (const spanwright::Solution& solution : exact.solutions)
        FUZZ_CHECK(
            spanwright::testing::checkSolution(puzzle, planeOf(puzzle, solution).data()).empty(),
            "the exact solver gave a solution that is none");
    if (kind == 0)
        FUZZ_CHECK(exact.verdict != spanwright::exact::Verdict::None,
                   "a board laid from bridges was called unsolvable");

    spanwright::exact::Verdict expected = exact.verdict;
    if (puzzle.cellCount() <= MAX_COUNTED_CELLS) {
        const int count = spanwright::testing::countSolutions(puzzle, 2);
        expected = count == 0   ? spanwright::exact::Verdict::None
                   : count == 1 ? spanwright::exact::Verdict::Unique
                                : spanwright::exact::Verdict::Multiple;
    } else {
        limits.plain = true;
        expected = spanwright::exact::solveExactly(puzzle, limits).verdict;
        if (expected == spanwright::exact::Verdict::Unknown) return 0;
    }
    FUZZ_CHECK(exact.verdict == expected, "the exact verdict differs from the reference");
    return 0;
}
