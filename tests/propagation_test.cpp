// Propagation: the island rule swept to a fixed point, then the pair rule, and the
// counters they add to; the extended propagation's passes of the isolation rule.

#include <gtest/gtest.h>

#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/rules.h"
#include "tests/support/board_picture.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::boardDifference;
using testing::boardOf;
using testing::cellAt;
using testing::cellPicture;
using testing::checkSolution;
using testing::countersOf;
using testing::horizontalPicture;
using testing::picture;
using testing::puzzleOf;
using testing::settleIslandRule;
using testing::verticalPicture;

TEST(PropagateBasic, LaysCertainBridgesAndCountsChanges) {
    SolverBoard board = boardOf(R"(
        2.3
        ...
        ..1
    )");
    SolveStats stats;

    EXPECT_TRUE(propagateBasic(stats, board));

    // The two lays the double bridge; the three, visited next in the same sweep, sees it
    // and lays its last bridge downwards.
    EXPECT_EQ(cellPicture(board), picture(R"(
        0=0
        ..|
        ..0
    )"));
    EXPECT_EQ(countersOf(stats), "2,0,0,0,0,0");
    EXPECT_TRUE(board.isSolved());
}

TEST(PropagateBasic, DoesNotCountASweepThatFoundAContradiction) {
    // The lone island at the top has no line at all; the sweep still goes on to the pair
    // at the bottom before it reports the contradiction.
    SolverBoard board = boardOf(R"(
        ...1
        ....
        1.1.
    )");
    SolveStats stats;

    EXPECT_FALSE(propagateBasic(stats, board));

    EXPECT_EQ(board.contradiction, 1);
    EXPECT_EQ(cellPicture(board), picture(R"(
        ...1
        ....
        0-0.
    )"));
    EXPECT_EQ(countersOf(stats), "0,0,0,0,0,0");
}

TEST(PropagateBasic, RunsThePairRuleWhileThreeGroupsAreLive) {
    // The island rule joins the four bottom islands into one group and stops. The two at
    // the top need two bridges each; two on their common line would seal both off.
    SolverBoard board = boardOf(R"(
        2.2.
        ....
        4.4.
        ....
        4.4.
    )");
    settleIslandRule(board);
    ASSERT_EQ(cellPicture(board), picture(R"(
        2.2.
        ....
        2.2.
        H.H.
        0=0.
    )"));
    ASSERT_EQ(board.liveGroups, 3);
    ASSERT_EQ(horizontalPicture(board).substr(0, 5), "#o#.\n");

    // The pair rule looks at the number of live groups alone. A real board with two
    // groups never gives it anything to do (the island rule settles the one line left
    // between two lone islands), so the count is lowered by hand to show the guard.
    const UncheckedRestingPoints handEdited;
    SolverBoard twoGroups = board;
    twoGroups.liveGroups = 2;

    SolveStats stats;
    EXPECT_TRUE(propagateBasic(stats, board));
    EXPECT_EQ(horizontalPicture(board).substr(0, 5), "#?#.\n");
    EXPECT_EQ(verticalPicture(board).substr(5, 5), "+.+.\n");
    EXPECT_EQ(countersOf(stats), "3,1,0,0,0,0");

    SolveStats guarded;
    EXPECT_TRUE(propagateBasic(guarded, twoGroups));
    EXPECT_EQ(horizontalPicture(twoGroups).substr(0, 5), "#o#.\n");
    EXPECT_EQ(countersOf(guarded), "0,0,0,0,0,0");
}

TEST(PropagateBasic, SolvesSmallPuzzlesWithIslandAndPair) {
    const char* const puzzles[] = {
        R"(
            1.1
            ...
            2.2
        )",
        R"(
            .1..1
            .....
            .....
            .2..2
        )",
        R"(
            2.1.
            ....
            4.1.
            ....
            ....
            4..2
        )",
        R"(
            1.1.
            ....
            4.4.
            ....
            4.4.
        )",
    };
    for (const char* text : puzzles) {
        SCOPED_TRACE(text);
        const Puzzle puzzle = puzzleOf(text);
        SolverBoard board = boardOf(puzzle);
        SolveStats stats;

        EXPECT_TRUE(propagateBasic(stats, board));

        EXPECT_TRUE(board.isSolved());
        EXPECT_EQ(checkSolution(puzzle, board.cells.data()), "");
        EXPECT_GT(stats.pairSteps, 0);
        EXPECT_EQ(stats.isolationSteps, 0);
    }
}

TEST(PropagateBasic, CountsAWholeSolveByHand) {
    // Sweep 1: the top ones narrow their lines (3 changes), the lower left two makes its
    // right line carry a bridge (1). Sweep 2: nothing. Pair sweep: the ones may not join
    // each other (1); the twos may not join each other twice (1). Sweep 3: every line
    // left is decided (3).
    SolverBoard board = boardOf(R"(
        1.1
        ...
        2.2
    )");
    SolveStats stats;

    EXPECT_TRUE(propagateBasic(stats, board));

    EXPECT_EQ(countersOf(stats), "7,2,0,0,0,0");
    EXPECT_EQ(cellPicture(board), picture(R"(
        0.0
        |.|
        0-0
    )"));
}

// A lattice that the basic rules cannot touch: every island has room on all its lines.
// The line below the top three allows one bridge at most, and the group records of the
// corners on the left are lowered to one, so that during an isolation pass the top three
// gets its bridge downwards (its group merges with the centre) and, later in the same
// pass, the bottom three finds left + right = 3 and claims the line up.
SolverBoard latticeReadyForTwoFirings() {
    SolverBoard board = boardOf(R"(
        2.3.2
        .....
        3.4.3
        .....
        2.3.2
    )");
    board.setVerticalLine(cellAt(board, 1, 2), LINE_ZERO_OR_ONE, 0);
    board.groups[board.groupIds[cellAt(board, 0, 0)]].demand = 1;
    board.groups[board.groupIds[cellAt(board, 4, 0)]].demand = 1;
    return board;
}

TEST(PropagateExtended, NoIsolationPassWithThreeGroups) {
    // The guard reads the number of live groups alone; it is lowered by hand here.
    const UncheckedRestingPoints handEdited;
    SolverBoard board = latticeReadyForTwoFirings();
    board.liveGroups = 3;
    const SolverBoard before = board;
    SolveStats stats;

    EXPECT_TRUE(propagateExtended(stats, board));

    EXPECT_EQ(boardDifference(board, before), "");
    EXPECT_EQ(stats.isolationSteps, 0);
    EXPECT_EQ(stats.tableSteps, 0);
    EXPECT_EQ(stats.pairSteps, 0);
}

TEST(PropagateExtended, PassThatMergesGroupsStillVisitsTheRest) {
    // Four live groups before the pass, three after the first firing: the pass goes on
    // and the bottom three fires too. Nothing runs another pass afterwards.
    const UncheckedRestingPoints handEdited;
    SolverBoard board = latticeReadyForTwoFirings();
    board.liveGroups = 4;
    SolverBoard basicOnly = board;
    SolveStats basicStats;
    ASSERT_TRUE(propagateBasic(basicStats, basicOnly));
    ASSERT_EQ(boardDifference(basicOnly, board), "") << "the basic rules are stuck";

    SolveStats stats;
    propagateExtended(stats, board);

    EXPECT_EQ(stats.isolationSteps, 2);
    EXPECT_EQ(board.cells[cellAt(board, 1, 2)], V_SINGLE);
}

TEST(PropagateExtended, FinishesPuzzlesNeedingIsolation) {
    const char* const puzzles[] = {
        R"(
            .....2..
            ........
            2.3..5.2
            ........
            1....2.1
        )",
        R"(
            4.4.3
            .....
            4...3
            ..1..
            .....
            2.3.2
        )",
    };
    for (const char* text : puzzles) {
        SCOPED_TRACE(text);
        const Puzzle puzzle = puzzleOf(text);
        SolverBoard board = boardOf(puzzle);
        SolverBoard basicOnly = board;
        SolveStats basicStats;
        ASSERT_TRUE(propagateBasic(basicStats, basicOnly));
        ASSERT_FALSE(basicOnly.isSolved()) << "the basic rules alone get stuck";

        SolveStats stats;
        EXPECT_TRUE(propagateExtended(stats, board));

        EXPECT_TRUE(board.isSolved());
        EXPECT_EQ(checkSolution(puzzle, board.cells.data()), "");
        EXPECT_GT(stats.isolationSteps, 0);
    }
}

}  // namespace
}  // namespace spanwright
