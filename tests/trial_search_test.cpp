// The trial search: islands with exactly two ways left to finish, each way tried on a
// copy of the board, and the other way applied once one of them is refuted.

#include <gtest/gtest.h>

#include <random>

#include "generator/derivation.h"
#include "generator/random_source.h"
#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/trial_search.h"
#include "tests/support/board_picture.h"
#include "tests/support/random_board.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::boardDifference;
using testing::boardOf;
using testing::cellAt;
using testing::cellPicture;
using testing::countersOf;
using testing::horizontalPicture;
using testing::picture;
using testing::puzzleOf;
using testing::solveExhaustively;
using testing::verticalPicture;

constexpr const char* kSquare = R"(
    2.2
    ...
    2.2
)";

/// The square with every line narrowed: top and right none-or-one, left one-or-two,
/// bottom none-or-one. Each island has two weighed lines and two closed ones.
SolverBoard narrowedSquare() {
    SolverBoard board = boardOf(kSquare);
    board.setHorizontalLine(cellAt(board, 0, 1), LINE_ZERO_OR_ONE, 0);
    board.setVerticalLine(cellAt(board, 1, 0), LINE_ONE_OR_TWO, 0);
    board.setVerticalLine(cellAt(board, 1, 2), LINE_ZERO_OR_ONE, 0);
    board.setHorizontalLine(cellAt(board, 2, 1), LINE_ZERO_OR_ONE, 0);
    return board;
}

TEST(FindTrialCandidate, VisitsInRowOrderAndWrapsAround) {
    const SolverBoard board = narrowedSquare();
    const int topLeft = cellAt(board, 0, 0);
    const int topRight = cellAt(board, 0, 2);
    const int bottomLeft = cellAt(board, 2, 0);
    const int bottomRight = cellAt(board, 2, 2);
    Alternatives alternatives{};

    EXPECT_EQ(findTrialCandidate(board, 0, alternatives), topLeft);
    EXPECT_EQ(alternatives, (Alternatives{1, 3}));  // right, down
    EXPECT_EQ(findTrialCandidate(board, topLeft + 1, alternatives), topRight);
    EXPECT_EQ(alternatives, (Alternatives{0, 3}));  // left, down
    EXPECT_EQ(findTrialCandidate(board, bottomLeft, alternatives), bottomLeft);
    EXPECT_EQ(alternatives, (Alternatives{1, 2}));  // right, up
    EXPECT_EQ(findTrialCandidate(board, bottomLeft + 1, alternatives), bottomRight);
    EXPECT_EQ(alternatives, (Alternatives{0, 2}));  // left, up

    EXPECT_EQ(findTrialCandidate(board, bottomRight + 1, alternatives), topLeft);
    EXPECT_EQ(findTrialCandidate(board, board.cellCount(), alternatives), topLeft);
    EXPECT_EQ(findTrialCandidate(board, board.cellCount() + 7, alternatives), topLeft);
}

TEST(FindTrialCandidate, PassesOverIslandsWithAnOpenLine) {
    SolverBoard board = narrowedSquare();
    board.setHorizontalLine(cellAt(board, 2, 1), LINE_OPEN, 0);
    Alternatives alternatives{};

    EXPECT_EQ(findTrialCandidate(board, cellAt(board, 0, 2) + 1, alternatives),
              cellAt(board, 0, 0));
}

TEST(FindTrialCandidate, ReturnsZeroWhenThereIsNone) {
    const SolverBoard board = boardOf(kSquare);
    Alternatives alternatives{7, 9};

    EXPECT_EQ(findTrialCandidate(board, 0, alternatives), 0);
    EXPECT_EQ(findTrialCandidate(board, cellAt(board, 1, 1), alternatives), 0);

    EXPECT_EQ(alternatives, (Alternatives{7, 9}));
}

TEST(ApplyAlternative, LaysTheMostTheLineAllows) {
    const SolverBoard square = narrowedSquare();
    const int topLeft = cellAt(square, 0, 0);

    SolverBoard acrossTheTop = square;
    applyAlternative(acrossTheTop, topLeft, 1);
    EXPECT_EQ(cellPicture(acrossTheTop), picture(R"(
        1-1
        ...
        2.2
    )"));

    SolverBoard downTheLeft = square;
    applyAlternative(downTheLeft, topLeft, 3);
    EXPECT_EQ(cellPicture(downTheLeft), picture(R"(
        0.2
        H..
        0.2
    )"));
    EXPECT_EQ(horizontalPicture(downTheLeft), picture(R"(
        #?#
        H..
        #?#
    )"));
}

TEST(TrialSearch, WithoutCandidateReturnsAtOnce) {
    SolverBoard board = boardOf(kSquare);
    const SolverBoard before = board;
    SolveStats stats;
    stats.tableSteps = 5;
    std::int32_t scanPosition = 7;

    EXPECT_FALSE(trialSearch(stats, board, scanPosition));

    EXPECT_EQ(scanPosition, 0);
    EXPECT_EQ(countersOf(stats), "5,0,0,0,0,0");
    EXPECT_EQ(boardDifference(board, before), "");
}

/// A board from a puzzle picture, taken as far as the deduction rules go.
SolverBoard deducedBoard(const Puzzle& puzzle, SolveStats& stats) {
    SolverBoard board = boardOf(puzzle);
    EXPECT_TRUE(propagateExtended(stats, board));
    EXPECT_FALSE(board.isSolved());
    return board;
}

TEST(TrialSearch, FirstAlternativeRefutedGivesTheSecond) {
    const Puzzle puzzle = puzzleOf(R"(
        1.3..3
        2..1..
        ......
        3.22.3
    )");
    SolveStats stats;
    SolverBoard board = deducedBoard(puzzle, stats);
    ASSERT_EQ(cellPicture(board), picture(R"(
        0-2..3
        2..1..
        ......
        3.22.3
    )"));
    // The two at the top may take two bridges to the right or one downwards.
    const int candidate = cellAt(board, 0, 2);
    ASSERT_EQ(horizontalPicture(board).substr(0, 7), "#-#++#\n");
    ASSERT_EQ(verticalPicture(board).substr(7, 7), "#.?#.+\n");
    SolverBoard expected = board;
    applyAlternative(expected, candidate, 3);
    const SolveStats before = stats;
    std::int32_t scanPosition = 0;

    EXPECT_TRUE(trialSearch(stats, board, scanPosition));

    EXPECT_EQ(boardDifference(board, expected), "");
    EXPECT_EQ(cellPicture(board), picture(R"(
        0-1..3
        2.|1..
        ..|...
        3.12.3
    )"));
    EXPECT_EQ(scanPosition, candidate);
    EXPECT_EQ(stats.trialFirstRefuted, before.trialFirstRefuted + 1);
    EXPECT_EQ(stats.trialSecondRefuted, before.trialSecondRefuted);
    EXPECT_GT(stats.tableSteps, before.tableSteps) << "the work on the copy counts";

    // The only solution indeed has a single bridge on the line to the right.
    const std::vector<std::uint8_t> solution = solveExhaustively(puzzle);
    ASSERT_FALSE(solution.empty());
    EXPECT_EQ(solution[std::size_t(cellAt(board, 0, 3))], H_SINGLE);
}

TEST(TrialSearch, SecondAlternativeRefutedGivesTheFirst) {
    const Puzzle puzzle = puzzleOf(R"(
        3..4.3
        ......
        4.1..4
        ......
        4..4.3
    )");
    SolveStats stats;
    SolverBoard board = deducedBoard(puzzle, stats);
    // The three in the corner takes two bridges to the right or two downwards.
    const int candidate = cellAt(board, 0, 0);
    ASSERT_EQ(horizontalPicture(board).substr(0, 7), "#++#+#\n");
    ASSERT_EQ(verticalPicture(board).substr(7, 7), "+..?.+\n");
    SolverBoard expected = board;
    applyAlternative(expected, candidate, 1);
    const SolveStats before = stats;
    std::int32_t scanPosition = 0;

    EXPECT_TRUE(trialSearch(stats, board, scanPosition));

    EXPECT_EQ(boardDifference(board, expected), "");
    EXPECT_EQ(cellPicture(board).substr(0, 7), "1==2.3\n");
    EXPECT_EQ(scanPosition, candidate);
    EXPECT_EQ(stats.trialFirstRefuted, before.trialFirstRefuted);
    EXPECT_EQ(stats.trialSecondRefuted, before.trialSecondRefuted + 1);
}

TEST(TrialSearch, LeavesTheBoardWhenNoAlternativeIsRefuted) {
    // Two solutions: every trial on the copy ends solved, and solved is not refuted.
    const Puzzle puzzle = puzzleOf(R"(
        3.3
        ...
        3.3
    )");
    SolveStats stats;
    const SolverBoard board = deducedBoard(puzzle, stats);
    ASSERT_EQ(horizontalPicture(board), picture(R"(
        #+#
        ...
        #+#
    )"));
    const int topLeft = cellAt(board, 0, 0);
    const int topRight = cellAt(board, 0, 2);
    const int bottomRight = cellAt(board, 2, 2);

    struct Start {
        std::int32_t scanPosition;
        std::int32_t firstTried;
    };
    for (const Start start :
         {Start{0, topLeft}, Start{topLeft, topRight}, Start{bottomRight, topLeft}}) {
        SCOPED_TRACE(::testing::Message() << "scan position " << start.scanPosition);
        SolverBoard tried = board;
        SolveStats triedStats = stats;
        std::int32_t scanPosition = start.scanPosition;

        EXPECT_FALSE(trialSearch(triedStats, tried, scanPosition));

        EXPECT_EQ(scanPosition, start.firstTried);
        EXPECT_EQ(boardDifference(tried, board), "");
        EXPECT_GT(triedStats.tableSteps, stats.tableSteps);
        EXPECT_EQ(triedStats.trialFirstRefuted, 0);
        EXPECT_EQ(triedStats.trialSecondRefuted, 0);
    }
}

// The search tries a line once even when two candidates offer it, one from each end: so
// closing it from either end must leave the same board, flags included, and the same work.
// The boards are random ones with a solution, every third nudged, taken as far as
// deduction goes; many have more than one solution and so candidates left.
TEST(TrialSearch, EitherEndOfALineMakesTheSameTrial) {
    std::mt19937 random(4242);
    const auto flags = [](const SolverBoard& b) {
        return std::vector{b.dirtyIslands().words, b.pairDirtyIslands().words,
                           b.isolationDirtyIslands().words, b.changedGroups().words};
    };
    int lines = 0;
    for (int i = 0; i < 120; ++i) {
        const int side = 5 + i % 6;
        Puzzle puzzle = testing::randomSolvableBoard(random, side, side, side * side / 3, 3);
        if (i % 3 == 2) testing::nudgeIsland(random, puzzle);
        SolverBoard board = boardOf(puzzle);
        SolveStats stats;
        if (!propagateExtended(stats, board) || board.isSolved()) continue;
        for (const std::uint16_t pos : board.islands()) {
            Alternatives alternatives{};
            if (findTrialCandidate(board, pos, alternatives) != pos) continue;
            for (const int dir : alternatives) {
                SolverBoard here = board;
                SolverBoard there = board;
                applyAlternative(here, pos, dir);
                applyAlternative(there, board.farIsland(pos, dir), dir ^ 1);
                ASSERT_EQ(boardDifference(here, there), "");
                EXPECT_EQ(flags(here), flags(there));
                SolveStats hereStats;
                SolveStats thereStats;
                EXPECT_EQ(propagateExtended(hereStats, here), propagateExtended(thereStats, there));
                EXPECT_EQ(countersOf(hereStats), countersOf(thereStats));
                EXPECT_EQ(boardDifference(here, there), "");
                ++lines;
            }
        }
    }
    EXPECT_GT(lines, 100);
}

// A search settled by refuting the second alternative keeps the board the first one's trial
// left; taken by the solver, it must be the board and the counts that laying the first
// alternative and propagating it give. Each generated problem is solved as the solver
// would, search after search.
TEST(TrialSearch, TheKeptBoardIsTheFirstAlternativePropagated) {
    int settled = 0;
    TrialWorkspace space;
    RandomSource random(77);
    for (int i = 0; i < 60; ++i) {
        Puzzle puzzle;
        generateProblem(random, 10 + i % 3, 10 + i % 3, puzzle);
        SolverBoard board = boardOf(puzzle);
        SolveStats stats;
        if (!propagateExtended(stats, board)) continue;
        std::int32_t scanPosition = 0;
        while (trialSearch(stats, board, space, scanPosition)) {
            SolverBoard worked = board;
            SolveStats workedStats = stats;
            const bool propagated = propagateExtended(workedStats, worked);
            if (space.takeSettledBoard(stats, board)) {
                EXPECT_TRUE(propagated);
                EXPECT_EQ(boardDifference(board, worked), "");
                EXPECT_EQ(countersOf(stats), countersOf(workedStats));
                ++settled;
                continue;
            }
            if (!propagated) break;
            board = worked;
            stats = workedStats;
        }
    }
    EXPECT_GT(settled, 20);
}

}  // namespace
}  // namespace spanwright
