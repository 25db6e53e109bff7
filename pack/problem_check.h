#pragma once

// The check of one problem, shared by the checking program and the browser module: the
// deduction solver, the exact verdict and the rating ladder on the same puzzle, within one
// time limit.

#include <optional>
#include <string>
#include <vector>

#include "exact/exact_solver.h"
#include "explain/explain.h"
#include "puzzle/canonical.h"
#include "puzzle/puzzle.h"
#include "solver/solve_stats.h"

namespace spanwright {

/// The earlier problem of the input that a problem repeats.
struct EarlierProblem {
    std::string file;  ///< the name as given
    long line = 0;
    bool sameFile = true;       ///< the file the repeat is in
    Image image = Image::Same;  ///< how the earlier problem turns into this one
};

/// Where the CPU time of one problem's check went, in milliseconds of the checking thread.
/// The stages follow one another, so they add up to `total`.
struct CpuStages {
    double reading = 0;        ///< reading the problem from its file
    double deduction = 0;      ///< the deduction solver
    double preprocessing = 0;  ///< the exact search's clauses and reasoning
    double sat = 0;            ///< its SAT search for a first solution
    double cuts = 0;           ///< its connectivity cuts
    double uniqueness = 0;     ///< its search for a second solution
    double rating = 0;         ///< the stepwise solver's rating
    double total = 0;
};

/// The names of the stages, in the order the reports give them, and their values.
inline constexpr const char* CPU_STAGE_NAMES[] = {
    "reading", "deduction", "preprocessing", "sat", "cuts", "uniqueness", "rating", "total"};
inline std::vector<double> cpuStageValues(const CpuStages& cpu) {
    return {cpu.reading, cpu.deduction,  cpu.preprocessing, cpu.sat,
            cpu.cuts,    cpu.uniqueness, cpu.rating,        cpu.total};
}

/// What the check of one problem found.
struct ProblemCheck {
    int islands = 0;
    int unknownIslands = 0;  ///< islands whose number is not given; no deduction or rating
    exact::ExactResult exact;
    bool deduced = false;  ///< deduction solved it; `stats` are then its counters
    SolveStats stats;
    bool disagreement = false;  ///< deduction solved it but its solution is not the exact one
    bool rated = false;  ///< the stepwise solver solved it; `level` and `score` are its rating
    explain::Rung level = explain::Rung::Easy;
    double score = 0;
    double milliseconds = 0;                ///< wall time of the whole check
    CpuStages cpu;                          ///< its CPU time; reading filled in by the caller
    double timeLimit = 0;                   ///< the exact search's limit in seconds, 0 for none
    bool ratingStopped = false;             ///< the limit ran out while rating
    std::optional<EarlierProblem> repeats;  ///< filled in by the caller, who knows the input
};

/// Solves the puzzle by deduction and exactly, and compares the two. The exact search
/// ends with the verdict Unknown when it has not settled within `limits`.
/// With `explanation` given, the rating's stepwise solve is kept there (untouched when the
/// puzzle has islands without numbers, which are not rated).
ProblemCheck checkProblem(const Puzzle& puzzle, const exact::ExactLimits& limits = {},
                          explain::Explanation* explanation = nullptr);

}  // namespace spanwright
