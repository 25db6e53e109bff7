// The pair rule: two lone islands needing the same one or two bridges must not spend them
// on each other.

#include <gtest/gtest.h>

#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/rules.h"
#include "tests/support/board_picture.h"

namespace spanwright {
namespace {

using testing::boardOf;
using testing::cellAt;
using testing::cellPicture;
using testing::horizontalPicture;
using testing::picture;
using testing::settleIslandRule;
using testing::verticalPicture;

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

}  // namespace
}  // namespace spanwright
