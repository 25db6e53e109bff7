// Small boards made from arbitrary bytes, decided three ways that share no code: deduction
// (solver/solve.h), the exact solver with its reasoning and SAT search, and, on the
// smallest boards, the exhaustive counter of the tests. Deduction lays only forced
// bridges, so it must never finish a board the exact solver calls none or multiple, and
// what it finishes must be the exact solver's one solution; the exact verdict must match
// the count.
//
// Bytes: the width (1 + b % 12), the height (1 + b % 12), then one byte a cell, row by
// row: an island of 1 + b % 8 when b >= 0xC0, water otherwise; missing cells are water.

#include <cstddef>
#include <cstdint>

#include "exact/exact_solver.h"
#include "puzzle/puzzle.h"
#include "solver/board.h"
#include "solver/solve.h"
#include "solver/solve_stats.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/solution_check.h"

namespace {

constexpr int MAX_SIDE = 12;
constexpr int MAX_COUNTED_CELLS = 36;  // the counter is exhaustive; larger boards take long
constexpr double EXACT_SECONDS = 0.5;  // well inside the fuzzer's 2 s a run

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    spanwright::Puzzle puzzle;
    puzzle.width = std::int8_t(1 + data[0] % MAX_SIDE);
    puzzle.height = std::int8_t(1 + data[1] % MAX_SIDE);
    puzzle.allocateCells();
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const std::size_t at = std::size_t(i) + 2;
        const std::uint8_t b = at < size ? data[at] : 0;
        puzzle.cells[i] = b >= 0xC0 ? std::uint8_t(spanwright::ISLAND_BASE + 1 + b % 8) : 0;
    }

    spanwright::exact::ExactLimits limits;
    limits.seconds = EXACT_SECONDS;
    const spanwright::exact::ExactResult exact = spanwright::exact::solveExactly(puzzle, limits);
    if (exact.verdict == spanwright::exact::Verdict::Unknown) return 0;

    spanwright::SolverBoard board;
    board.loadPuzzle(puzzle);
    spanwright::SolveStats stats;
    if (spanwright::solveBoard(stats, board, false)) {
        FUZZ_CHECK(exact.verdict == spanwright::exact::Verdict::Unique,
                   "deduction solved a board without exactly one solution");
        FUZZ_CHECK(exact.solutions.front() == spanwright::solutionOf(board),
                   "deduction and the exact solver found different solutions");
    }

    bool islands = false;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        islands = islands || puzzle.cells[i] != 0;
    if (islands && puzzle.cellCount() <= MAX_COUNTED_CELLS) {
        const int count = spanwright::testing::countSolutions(puzzle, 2);
        const auto expected = count == 0   ? spanwright::exact::Verdict::None
                              : count == 1 ? spanwright::exact::Verdict::Unique
                                           : spanwright::exact::Verdict::Multiple;
        FUZZ_CHECK(exact.verdict == expected, "the exact verdict is not the count");
    }
    return 0;
}
