// Basic propagation: the island rule swept to a fixed point, then the pair rule, and the
// counters they add to.

#include <gtest/gtest.h>

#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/rules.h"
#include "tests/support/board_picture.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::boardOf;
using testing::cellAt;
using testing::cellPicture;
using testing::checkSolution;
using testing::countersOf;
using testing::horizontalPicture;
using testing::picture;
using testing::puzzleOf;
using testing::verticalPicture;

/// Applies the island rule at every island until it changes nothing more.
void settleIslandRule(SolverBoard& board) {
    for (int changes = 1; changes != 0;) {
        changes = 0;
        board.forEachInterior([&](int pos) {
            if (board.cells[pos] >= ISLAND_BASE) changes += applyIslandRule(board, pos);
        });
    }
}

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

TEST(ApplyPairRule, ClosesTheLineBetweenTwoLoneIslandsOfOne) {
    SolverBoard board = boardOf("1..1");

    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 0)), 1);

    EXPECT_EQ(cellPicture(board), picture("1..1"));
    EXPECT_EQ(horizontalPicture(board), picture("#..#"));
    EXPECT_EQ(board.liveGroups, 2);
}

TEST(ApplyPairRule, LeavesLoneIslandsOfTwoOneBridgeAtMost) {
    SolverBoard board = boardOf("2..2");

    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 0)), 1);
    EXPECT_EQ(horizontalPicture(board), picture("#??#"));

    // Nothing more to learn from either end.
    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 0)), 0);
    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 3)), 0);
    EXPECT_EQ(horizontalPicture(board), picture("#??#"));
}

TEST(ApplyPairRule, WorksUpAndDownAlike) {
    SolverBoard board = boardOf(R"(
        2
        .
        2
        .
        1
        .
        1
    )");
    const int w = board.stride();

    EXPECT_TRUE(applyVerticalPairRule(board, cellAt(board, 0, 0), w, 2));
    EXPECT_FALSE(applyVerticalPairRule(board, cellAt(board, 0, 0), w, 2));
    EXPECT_EQ(applyPairRule(board, cellAt(board, 2, 0)), 0) << "the line above is settled";
    EXPECT_EQ(applyPairRule(board, cellAt(board, 6, 0)), 1);

    EXPECT_EQ(verticalPicture(board), picture(R"(
        #
        ?
        #
        o
        #
        .
        #
    )"));
}

TEST(ApplyPairRule, NeedsSameDemandAndOneOpenFarIsland) {
    SolverBoard unequal = boardOf("2.3");
    EXPECT_EQ(applyPairRule(unequal, cellAt(unequal, 0, 0)), 0);
    EXPECT_EQ(horizontalPicture(unequal), picture("#o#"));

    // The far island's group has a second open island: spending both bridges between
    // them does not finish that group.
    SolverBoard shared = boardOf(R"(
        1.1
        ...
        ..2
    )");
    shared.groups[shared.groupIds[cellAt(shared, 0, 2)]].openIslands = 2;
    EXPECT_EQ(applyPairRule(shared, cellAt(shared, 0, 0)), 0);
    EXPECT_EQ(horizontalPicture(shared), picture(R"(
        #o#
        ...
        ..#
    )"));
}

TEST(ApplyPairRule, PassesOverSettledLinesOfAnOverBridgedGroup) {
    // A trial's copy can leave groups with a negative demand. For such a pair the rule
    // would narrow a line already at none-or-one to none-or-one again, and count it: the
    // propagation would then never reach its fixed point.
    const UncheckedRestingPoints handEdited;
    SolverBoard board = boardOf(R"(
        1.1
        ...
        2.2
    )");
    settleIslandRule(board);
    ASSERT_EQ(horizontalPicture(board), picture(R"(
        #?#
        ...
        #+#
    )"));
    ASSERT_EQ(verticalPicture(board), picture(R"(
        #.#
        ?.?
        #.#
    )"));
    for (int column : {0, 2}) {
        IslandGroup& group = board.groups[board.groupIds[cellAt(board, 0, column)]];
        group.demand = -1;
        group.openIslands = 1;
    }
    const int w = board.stride();

    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 0)), 0);
    EXPECT_EQ(applyPairRule(board, cellAt(board, 0, 2)), 0);
    EXPECT_FALSE(applyVerticalPairRule(board, cellAt(board, 0, 0), w, -1));
    EXPECT_FALSE(applyVerticalPairRule(board, cellAt(board, 2, 0), -w, -1));

    board.groups[board.groupIds[cellAt(board, 2, 0)]].demand = -1;
    board.groups[board.groupIds[cellAt(board, 2, 2)]].demand = -1;
    ASSERT_EQ(applyPairRule(board, cellAt(board, 2, 0)), 1) << "a line not yet narrowed";
    ASSERT_EQ(applyPairRule(board, cellAt(board, 2, 0)), 0);

    SolveStats stats;
    propagateBasic(stats, board);  // returns at all
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

}  // namespace
}  // namespace spanwright
