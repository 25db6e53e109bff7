#pragma once

#include <array>

#include "generator/layout.h"
#include "generator/random_source.h"
#include "puzzle/puzzle.h"
#include "solver/solve_stats.h"

namespace spanwright {

/// Lowest scores of grades 2 to 5; a score below the first is grade 1.
inline constexpr std::array<double, 4> DIFFICULTY_THRESHOLDS = {150.0, 300.0, 500.0, 800.0};

/// The weighted effort of a solve: what grades a problem. Deduction steps are cheap, the
/// isolation rule and settled trials are what a human solver finds hard.
double ratingScore(const SolveStats& stats);

/// The grade, 1 to 5, of a score.
int gradeOf(double score);

/// The grade deduction gives `puzzle`, as the generator grades what it makes; 0 when
/// deduction does not solve it.
int gradeByDeduction(const Puzzle& puzzle);

/// Grades a puzzle that arrived without a grade (difficulty 0, as every game ID
/// and imported board does) with gradeByDeduction; a grade it carries is kept.
void gradeIfUngraded(Puzzle& puzzle);

/// Turns the finished layout of `board` into a problem the solver finishes and that is not
/// too easy: doubles a random 30 % of the bridges, then one more after every failed solve.
/// On success fills the record's difficulty and cells (width and height already set).
bool deriveProblem(GeneratorBoard& board, Puzzle& puzzle);

/// Makes one graded problem of width x height (a square board; the side is taken from
/// width) into a newly made record, trying layouts until one yields a problem.
void generateProblem(RandomSource& random, int width, int height, Puzzle& puzzle);

}  // namespace spanwright
