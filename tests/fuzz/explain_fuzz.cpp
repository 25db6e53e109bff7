// Arbitrary bytes as a problem line, game ID or link (islands without a number taken),
// explained step by step when the reader accepts it.
// The stepwise solver must never crash, hang or read outside its arrays; every step must
// narrow lines to sane bounds; a solved run must be a real solution; and on small boards,
// where the exact verdict is cheap, no step may exclude the unique solution and a board
// without one (or with several) is never reported solved.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "exact/exact_solver.h"
#include "explain/explain.h"
#include "puzzle/puzzle_input.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/solution_check.h"

namespace {

// The trial rung is quadratic in the lines; larger boards starve the search of executions,
// and the exact verdict is only asked for on boards this small.
constexpr int MAX_FUZZED_SIDE = 12;

/// The bordered plane of a solution, as the judge takes it.
std::vector<std::uint8_t> planeOf(const spanwright::Puzzle& puzzle,
                                  const spanwright::Solution& solution) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace ex = spanwright::explain;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    spanwright::Puzzle puzzle;
    if (!spanwright::readPuzzleLine(puzzle, line, nullptr, true)) return 0;
    if (puzzle.width > MAX_FUZZED_SIDE || puzzle.height > MAX_FUZZED_SIDE) return 0;

    const ex::Explanation e = ex::explainPuzzle(puzzle);
    for (const ex::Step& step : e.steps) {
        FUZZ_CHECK(!step.reason.empty() && step.reason.back() == '.', "a step without a sentence");
        for (const ex::LineBounds& b : step.sets)
            FUZZ_CHECK(
                0 <= b.least && b.least <= b.most && b.most <= spanwright::MAX_BRIDGES_PER_LINE,
                "bounds out of range");
    }
    FUZZ_CHECK(!(e.solved && e.contradiction), "solved and contradicted at once");
    if (e.solved) {
        // The judge holds every island to its number, those found by the steps included.
        const std::string fault = spanwright::testing::checkSolution(
            ex::withFoundNumbers(puzzle, e), planeOf(puzzle, e.solution).data());
        if (!fault.empty()) std::fprintf(stderr, "not a solution: %s\n", fault.c_str());
        FUZZ_CHECK(fault.empty(), "a solved run that is no solution");
    }

    const spanwright::exact::ExactResult verdict = spanwright::exact::solveExactly(puzzle);
    if (verdict.verdict != spanwright::exact::Verdict::Unique) {
        FUZZ_CHECK(!e.solved, "solved a board without a unique solution");
        if (verdict.verdict == spanwright::exact::Verdict::None) return 0;
    }
    // Sound steps keep every solution; the exact solver gives one or two to hold them to.
    for (const spanwright::Solution& truth : verdict.solutions) {
        std::map<std::tuple<int, int, int, int>, int> bridges;
        for (const spanwright::Bridge& b : truth)
            bridges[{b.row1, b.column1, b.row2, b.column2}] = b.bridges;
        for (const ex::Step& step : e.steps)
            for (const ex::LineBounds& b : step.sets) {
                const auto it = bridges.find({b.row1, b.column1, b.row2, b.column2});
                const int value = it == bridges.end() ? 0 : it->second;
                FUZZ_CHECK(b.least <= value && value <= b.most, "a step excludes a solution");
            }
        FUZZ_CHECK(!e.contradiction, "a contradiction on a solvable board");
    }
    if (e.solved) FUZZ_CHECK(e.solution == verdict.solutions[0], "solved to another solution");
    return 0;
}
