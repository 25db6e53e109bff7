#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>

#include "pack/problem_check.h"
#include "puzzle/cpu_time.h"
#include "solver/solve.h"

namespace spanwright {
ProblemCheck checkProblem(const Puzzle& puzzle, const exact::ExactLimits& limits,
                          explain::Explanation* explanation) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuSeconds();
    ProblemCheck check;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        check.islands += puzzle.cells[i] != 0;

    // Deduction and the rating take islands with their numbers only; a puzzle with an
    // island whose number is not given gets the exact verdict alone.
    for (int i = 0; i < puzzle.cellCount(); ++i)
        check.unknownIslands += puzzle.cells[i] == UNKNOWN_ISLAND;
    // The limit bounds the whole check, deduction first: what it leaves goes to the exact
    // search, and what that leaves to the rating.
    check.timeLimit = limits.seconds > 0 ? limits.seconds : 0;
    const auto timeUp = [&] {
        return limits.seconds > 0 && threadCpuSeconds() - cpuStart >= limits.seconds;
    };
    SolverBoard board;
    if (check.unknownIslands == 0) {
        // Stopped or not, the search and the rating below go by the same clock.
        bool deductionStopped = false;
        board.loadPuzzle(puzzle);
        check.deduced = solveBoardUntil(check.stats, board, timeUp, deductionStopped);
    }
    const double cpuDeduced = threadCpuSeconds();
    exact::ExactLimits rest = limits;
    if (limits.seconds > 0) rest.seconds = std::max(1e-9, limits.seconds - (cpuDeduced - cpuStart));
    // Past the limit the search still gets its reasoning before the SAT solver, which
    // settles a board without solution at once.
    check.exact = exact::solveExactly(puzzle, rest);
    const double cpuExact = threadCpuSeconds();
    // Deduction only ever lays bridges that every solution has, so a board it finishes
    // has exactly that one solution. Anything else is a fault in one of the two solvers;
    // a search that ran out of time has nothing to compare.
    if (check.deduced && check.exact.verdict != exact::Verdict::Unknown)
        check.disagreement = check.exact.verdict != exact::Verdict::Unique ||
                             check.exact.solutions.front() != solutionOf(board);

    // The rating players know a puzzle by: the hardest step a person needs, not the
    // deduction solver's work.
    // The limit bounds the whole check: the rating gets what the search left, and when
    // that runs out before a unique puzzle is rated, the verdict is unknown like a
    // search's that ran out (a puzzle without one solution is reported unrated).
    if (check.unknownIslands == 0) {
        explain::Options options;
        if (limits.seconds > 0)
            options.cpuSeconds = std::max(1e-9, limits.seconds - (threadCpuSeconds() - cpuStart));
        explain::Explanation explained = explain::explainPuzzle(puzzle, options);
        if (explained.stopped && check.exact.verdict == exact::Verdict::Unique) {
            check.ratingStopped = true;
            check.exact.verdict = exact::Verdict::Unknown;
            check.exact.solutions.clear();
            check.disagreement = false;
        }
        check.rated = explained.solved;
        check.level = explained.level;
        check.score = explained.score;
        if (explanation) *explanation = std::move(explained);
    }

    // Every stage runs from where the last one ended; what the exact search did not
    // itself put into a stage (setting up, handing back) counts as its preprocessing.
    const double cpuEnd = threadCpuSeconds();
    const exact::ExactTimes& times = check.exact.times;
    CpuStages& cpu = check.cpu;
    cpu.deduction = 1e3 * (cpuDeduced - cpuStart);
    cpu.sat = 1e3 * times.sat;
    cpu.cuts = 1e3 * times.cuts;
    cpu.uniqueness = 1e3 * times.uniqueness;
    cpu.preprocessing = 1e3 * (cpuExact - cpuDeduced) - cpu.sat - cpu.cuts - cpu.uniqueness;
    cpu.rating = 1e3 * (cpuEnd - cpuExact);
    cpu.total = 1e3 * (cpuEnd - cpuStart);

    check.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return check;
}

}  // namespace spanwright
