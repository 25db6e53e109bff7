#include <algorithm>
#include <chrono>
#include <ctime>

#include "app/check/check.h"
#include "solver/solve.h"

namespace spanwright {
namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace

ProblemCheck checkProblem(const Puzzle& puzzle, const exact::ExactLimits& limits) {
    const auto start = std::chrono::steady_clock::now();
    const double started = threadCpuSeconds();
    ProblemCheck check;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        check.islands += puzzle.cells[i] != 0;

    SolverBoard board;
    board.loadPuzzle(puzzle);
    check.deduced = solveBoard(check.stats, board, false);
    check.timeLimit = limits.seconds > 0 ? limits.seconds : 0;
    check.exact = exact::solveExactly(puzzle, limits);
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
    explain::Options options;
    if (limits.seconds > 0) {
        options.cpuSeconds = std::max(1e-9, limits.seconds - (threadCpuSeconds() - started));
    }
    const explain::Explanation explanation = explain::explainPuzzle(puzzle, options);
    if (explanation.stopped && check.exact.verdict == exact::Verdict::Unique) {
        check.ratingStopped = true;
        check.exact.verdict = exact::Verdict::Unknown;
        check.exact.solutions.clear();
        check.disagreement = false;
    }
    check.rated = explanation.solved;
    check.level = explanation.level;
    check.score = explanation.score;

    check.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return check;
}

}  // namespace spanwright
