// Generation throughput on one thread, and a whole batch of thirty on the OpenMP team as
// the create mode runs it (without the file).
#include <benchmark/benchmark.h>

#include <vector>

#include "generator/derivation.h"

namespace spanwright {
namespace {

void BM_GenerateOneThread(benchmark::State& state) {
    const int side = int(state.range(0));
    RandomSource random{4242};
    for ([[maybe_unused]] auto _ : state) {
        Puzzle puzzle;
        generateProblem(random, side, side, puzzle);
        benchmark::DoNotOptimize(puzzle.cells.get());
    }
    state.counters["problems/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateOneThread)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_GenerateBatch(benchmark::State& state) {
    const int side = int(state.range(0));
    RandomSource random{4242};
    for ([[maybe_unused]] auto _ : state) {
        std::vector<Puzzle> puzzles(30);
#pragma omp parallel for schedule(static) default(none) shared(random, side, puzzles)
        for (int i = 0; i < 30; ++i)
            generateProblem(random, side, side, puzzles[i]);
        benchmark::DoNotOptimize(puzzles.data());
    }
    state.counters["problems/s"] =
        benchmark::Counter(30.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateBatch)
    ->Arg(10)
    ->Arg(15)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace spanwright
