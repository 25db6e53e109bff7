#include <gtest/gtest.h>

#include "generator/derivation.h"
#include "generator/technique.h"
#include "puzzle/problem_line.h"
#include "solver/solve.h"
#include "tests/support/board_picture.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::checkSolution;
using testing::countSolutions;

TEST(Rating, WeighsTheCountersAndGradesAtTheThresholds) {
    SolveStats stats;
    EXPECT_DOUBLE_EQ(ratingScore(stats), 80.4931);
    EXPECT_EQ(gradeOf(ratingScore(stats)), 1);

    stats.trialSecondRefuted = 3;
    stats.interiorCells = 400;  // the board's size carries no weight
    EXPECT_DOUBLE_EQ(ratingScore(stats), 80.4931 + 3 * 18.6845);

    stats = SolveStats{};
    stats.tableSteps = 10;
    stats.pairSteps = 2;
    stats.isolationSteps = 1;
    stats.trialFirstRefuted = 4;
    EXPECT_DOUBLE_EQ(ratingScore(stats),
                     10 * 1.7312 + 80.4931 + 2 * 2.9706 + 18.0117 + 4 * 18.6845);

    EXPECT_EQ(gradeOf(149.999), 1);
    EXPECT_EQ(gradeOf(150.0), 2);
    EXPECT_EQ(gradeOf(299.9), 2);
    EXPECT_EQ(gradeOf(300.0), 3);
    EXPECT_EQ(gradeOf(500.0), 4);
    EXPECT_EQ(gradeOf(799.99), 4);
    EXPECT_EQ(gradeOf(800.0), 5);
    EXPECT_EQ(gradeOf(1e9), 5);
}

/// Generates `count` problems of one side from one seed, as the reproducible tool does;
/// the counters of the solves that accepted them go to `accepted` when given.
std::vector<std::string> generate(std::int32_t seed, int side, int count,
                                  std::vector<SolveStats>* accepted = nullptr) {
    RandomSource random{seed};
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        Puzzle puzzle;
        const SolveStats stats = generateProblem(random, side, side, puzzle);
        if (accepted != nullptr) accepted->push_back(stats);
        lines.push_back(formatProblemLine(puzzle));
    }
    return lines;
}

/// Every generated problem must be a real puzzle: the right size, clues only, finished by
/// the solver with statistics that give back its grade, and (where the exhaustive check
/// is affordable) exactly one solution. The counters generation returns are those of that
/// solve, which a request for a technique reads instead of solving again.
void expectSoundProblems(std::int32_t seed, int side, int count, bool checkUniqueness) {
    std::vector<SolveStats> accepted;
    const std::vector<std::string> lines = generate(seed, side, count, &accepted);
    EXPECT_EQ(lines, generate(seed, side, count)) << "generation is not deterministic";
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        SCOPED_TRACE(line);
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, line));
        ASSERT_EQ(puzzle.width, side);
        ASSERT_EQ(puzzle.height, side);
        for (int i = 0; i < puzzle.cellCount(); ++i)
            ASSERT_TRUE(puzzle.cells[i] == 0 || puzzle.cells[i] > ISLAND_BASE);

        SolverBoard board;
        board.loadPuzzle(puzzle);
        SolveStats stats;
        ASSERT_TRUE(solveBoard(stats, board, false));
        EXPECT_EQ(checkSolution(puzzle, board.cells.data()), "");
        EXPECT_EQ(gradeOf(ratingScore(stats)), puzzle.difficulty);
        EXPECT_EQ(testing::countersOf(stats), testing::countersOf(accepted[k]));
        if (checkUniqueness) {
            EXPECT_EQ(countSolutions(puzzle, 2), 1);
        }
    }
}

// Statistics lines of the reference problems, one of each level, plus the edge cases: the
// strongest layer used decides, however little it was used.
TEST(Technique, IsTheStrongestRuleLayerTheSolveNeeded) {
    struct Case {
        SolveStats stats;
        DeductionTechnique technique;
    };
    const Case cases[] = {
        {{62, 0, 0, 0, 0, 100}, DeductionTechnique::Basic},
        {{56, 6, 0, 0, 0, 100}, DeductionTechnique::Pair},
        {{65, 0, 4, 0, 0, 100}, DeductionTechnique::Isolation},
        {{73, 2, 0, 1, 0, 100}, DeductionTechnique::Trial},
        {{0, 0, 0, 0, 1, 9}, DeductionTechnique::Trial},
        {{1, 1, 1, 0, 0, 9}, DeductionTechnique::Isolation},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(techniqueOf(c.stats), c.technique) << c.stats.tableSteps;
        EXPECT_EQ(parseTechnique(techniqueName(c.technique)), c.technique);
    }
    EXPECT_EQ(parseTechnique("Trial"), std::nullopt);
}

TEST(Generation, SmallBoardsAreSoundAndUnique) {
    expectSoundProblems(4242, 10, 15, true);
    expectSoundProblems(-77, 10, 15, true);
    expectSoundProblems(1, 10, 10, true);
}

TEST(Generation, MiddleBoardsAreSoundAndASampleIsUnique) {
    expectSoundProblems(4343, 15, 4, true);
    expectSoundProblems(99, 15, 6, false);
}

TEST(Generation, LargeBoardsAreSound) {
    expectSoundProblems(4444, 20, 3, false);
}

TEST(Derivation, ALayoutOfFourBridgesIsDroppedAfterTenShuffles) {
    const std::int32_t seed = 12345;
    RandomSource random{seed};
    GeneratorBoard board;
    board.setUp(random, 10);
    board.resetLayout();
    // A rectangle of four islands with two bridge ends each: D = E = 1, so no pass solves.
    const int w = board.size;
    const int corners[4] = {2 * w + 2, 2 * w + 5, 6 * w + 2, 6 * w + 5};
    for (int corner : corners)
        board.layout[corner] = ISLAND_BASE + 2;
    for (int c = 3; c <= 4; ++c)
        board.layout[2 * w + c] = board.layout[6 * w + c] = GEN_H_BRIDGE;
    for (int r = 3; r <= 5; ++r)
        board.layout[r * w + 2] = board.layout[r * w + 5] = GEN_V_BRIDGE;

    Puzzle puzzle;
    puzzle.width = puzzle.height = 10;
    puzzle.allocateCells();
    SolveStats stats;
    EXPECT_FALSE(deriveProblem(board, puzzle, stats));

    // Each of the ten passes shuffles four bridges with three draws, and draws nothing else.
    RandomSource reference{seed};
    for (int i = 0; i < 30; ++i)
        reference.drawBelow(2);
    EXPECT_EQ(random.drawBelow(1 << 30), reference.drawBelow(1 << 30));
}

}  // namespace
}  // namespace spanwright
