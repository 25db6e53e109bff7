// Arbitrary bytes as a problem line, solved when the reader accepts it. The solver must
// never crash, leak, read outside its planes or hang, and a solve must not depend on
// whether the board is drawn: the statistics line and the drawing of the solve mode come
// from two different runs over the same problem, which must agree.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "puzzle/problem_line.h"
#include "solver/board.h"
#include "solver/solve.h"
#include "solver/solve_stats.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/solution_check.h"

namespace {

// Larger boards are slow enough to starve the search of executions; the solver tests and
// the solve-mode tests cover them.
constexpr int MAX_FUZZED_SIDE = 40;

std::FILE* nullSink() {
    static std::FILE* const sink = std::fopen("/dev/null", "wb");
    return sink;
}

bool sameStats(const spanwright::SolveStats& a, const spanwright::SolveStats& b) {
    return a.tableSteps == b.tableSteps && a.pairSteps == b.pairSteps &&
           a.isolationSteps == b.isolationSteps && a.trialFirstRefuted == b.trialFirstRefuted &&
           a.trialSecondRefuted == b.trialSecondRefuted && a.interiorCells == b.interiorCells;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    spanwright::Puzzle puzzle;
    if (!spanwright::parseProblemLine(puzzle, line)) return 0;
    if (puzzle.width > MAX_FUZZED_SIDE || puzzle.height > MAX_FUZZED_SIDE) return 0;

    spanwright::SolverBoard quiet;
    quiet.loadPuzzle(puzzle);
    spanwright::SolveStats quietStats;
    const bool quietSolved = spanwright::solveBoard(quietStats, quiet, false);

    std::FILE* const sink = nullSink();
    FUZZ_CHECK(sink != nullptr, "/dev/null cannot be opened");
    spanwright::SolverBoard drawn;
    drawn.loadPuzzle(puzzle);
    spanwright::SolveStats drawnStats;
    const bool drawnSolved = spanwright::solveBoard(drawnStats, drawn, true, sink);

    FUZZ_CHECK(quietSolved == drawnSolved, "drawing changed the outcome");
    FUZZ_CHECK(sameStats(quietStats, drawnStats), "drawing changed the counters");
    FUZZ_CHECK(quiet.cells == drawn.cells && quiet.masks == drawn.masks,
               "drawing changed the final board");
    FUZZ_CHECK(quietStats.interiorCells == puzzle.cellCount(), "wrong cell count");

    // The drawing is two bytes per cell, a line feed per row and an empty last line, for a
    // finished board and an abandoned one alike.
    const std::string picture = spanwright::renderBoard(quiet);
    FUZZ_CHECK(picture.size() == std::size_t(puzzle.height) * (2 * puzzle.width + 1) + 1,
               "the drawing has the wrong size");
    FUZZ_CHECK(picture == spanwright::renderBoard(drawn), "two equal boards draw differently");

    // A solve that reports success must have found a real solution; the judge shares no
    // code with the solver.
    if (quietSolved) {
        const std::string fault = spanwright::testing::checkSolution(puzzle, quiet.cells.data());
        if (!fault.empty()) std::fprintf(stderr, "not a solution: %s\n", fault.c_str());
        FUZZ_CHECK(fault.empty(), "the solver reports an invalid board as solved");
    }
    return 0;
}
