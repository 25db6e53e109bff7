// Solve throughput: problems per second for generated problems of each side, no drawing.
#include <benchmark/benchmark.h>

#include <vector>

#include "generator/derivation.h"
#include "solver/solve.h"

namespace spanwright {
namespace {

/// A fixed set of generated problems, the same on every run.
const std::vector<Puzzle>& problemsOfSide(int side) {
    static std::vector<Puzzle> sets[3];
    std::vector<Puzzle>& set = sets[side / 5 - 2];
    if (set.empty()) {
        RandomSource random{20261207 + side};
        set.resize(40);
        for (Puzzle& puzzle : set)
            generateProblem(random, side, side, puzzle);
    }
    return set;
}

void BM_SolveProblems(benchmark::State& state) {
    const std::vector<Puzzle>& problems = problemsOfSide(int(state.range(0)));
    std::size_t next = 0;
    for ([[maybe_unused]] auto _ : state) {
        SolverBoard board;
        board.loadPuzzle(problems[next]);
        SolveStats stats;
        benchmark::DoNotOptimize(solveBoard(stats, board, false));
        next = (next + 1) % problems.size();
    }
    state.counters["problems/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SolveProblems)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace spanwright
