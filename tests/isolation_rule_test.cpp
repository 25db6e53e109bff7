// The isolation rule, which keeps the last open island of a nearly finished group from
// sealing its group off together with two neighbours, and the extended propagation that
// runs it between rounds of basic propagation.

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
using testing::groupPicture;
using testing::horizontalPicture;
using testing::picture;
using testing::puzzleOf;
using testing::verticalPicture;

// The two in the middle needs two bridges; its left line is closed. Above it and to its
// right wait islands of one, each alone in its group: two bridges spent on those two would
// finish all three groups while the others stay apart, so the line down must carry a
// bridge. The pair at the bottom left and right crosses that line.
constexpr const char* kFork = R"(
    ..1...
    ......
    ..2.1.
    .2.2..
    ..1...
)";

TEST(IsolationRule, OpenTargetLineMustCarryABridge) {
    SolverBoard board = boardOf(kFork);
    ASSERT_EQ(board.liveGroups, 6);

    EXPECT_EQ(applyIsolationRule(board, cellAt(board, 2, 2)), 1);

    EXPECT_EQ(verticalPicture(board), picture(R"(
        ..#...
        ..o...
        ..#.#.
        .#+#..
        ..#...
    )"));
    EXPECT_EQ(horizontalPicture(board), picture(R"(
        ..#...
        ......
        ..#o#.
        .#.#..
        ..#...
    )"));
    EXPECT_EQ(cellPicture(board), picture(kFork));
}

TEST(IsolationRule, ZeroOrOneTargetLineGetsItsBridge) {
    SolverBoard board = boardOf(kFork);
    board.setVerticalLine(cellAt(board, 3, 2), LINE_ZERO_OR_ONE, 0);

    EXPECT_EQ(applyIsolationRule(board, cellAt(board, 2, 2)), 1);

    EXPECT_EQ(cellPicture(board), picture(R"(
        ..1...
        ......
        ..1.1.
        .2|2..
        ..0...
    )"));
    EXPECT_EQ(groupPicture(board), picture(R"(
        ..a...
        ......
        ..b.c.
        .d.e..
        ..b...
    )"));
    EXPECT_EQ(board.liveGroups, 5);
    EXPECT_EQ(horizontalPicture(board), picture(R"(
        ..#...
        ......
        ..#o#.
        .#|#..
        ..#...
    )"));
}

TEST(IsolationRule, BridgedTargetPassesToTheNextPair) {
    // Pairs in order: up + right (target down), up + down (target right), right + down
    // (target up). All three values are 1, so every pair adds up to the two needed.
    SolverBoard downSettled = boardOf(kFork);
    downSettled.setVerticalLine(cellAt(downSettled, 3, 2), LINE_ONE_OR_TWO, 0);
    EXPECT_EQ(applyIsolationRule(downSettled, cellAt(downSettled, 2, 2)), 1);
    EXPECT_EQ(horizontalPicture(downSettled).substr(14, 7), "..#+#.\n");
    EXPECT_EQ(verticalPicture(downSettled).substr(7, 7), "..o...\n");

    SolverBoard twoSettled = boardOf(kFork);
    twoSettled.setVerticalLine(cellAt(twoSettled, 3, 2), LINE_ONE_OR_TWO, 0);
    twoSettled.setHorizontalLine(cellAt(twoSettled, 2, 3), LINE_ONE_OR_TWO, 0);
    EXPECT_EQ(applyIsolationRule(twoSettled, cellAt(twoSettled, 2, 2)), 1);
    EXPECT_EQ(verticalPicture(twoSettled).substr(7, 7), "..+...\n");

    SolverBoard allSettled = twoSettled;
    EXPECT_EQ(applyIsolationRule(allSettled, cellAt(allSettled, 2, 2)), 0);
    EXPECT_EQ(boardDifference(allSettled, twoSettled), "");
}

TEST(IsolationRule, ExaminesOnlyALoneIslandWithOneClosedLine) {
    struct Case {
        const char* name;
        bool shareGroup;  // the middle island's group is given a second open island
        const char* board;
    };
    const Case cases[] = {
        {"no closed line", false, R"(
            ..1...
            ......
            2.2.1.
            .2.2..
            ..1...
        )"},
        {"two closed lines", false, R"(
            ..1...
            ......
            ..2...
            .2.2..
            ..1...
        )"},
        // One and four make five: the sum would match, but a demand of five is beyond
        // the rule.
        {"demand five", false, R"(
            ..1...
            ......
            ..5.4.
            .2.2..
            ..1...
        )"},
        {"second open island", true, kFork},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SolverBoard board = boardOf(c.board);
        const int middle = cellAt(board, 2, 2);
        if (c.shareGroup) board.groups[board.groupIds[middle]].openIslands = 2;
        const SolverBoard before = board;

        EXPECT_EQ(applyIsolationRule(board, middle), 0);
        EXPECT_EQ(boardDifference(board, before), "");
    }
}

TEST(IsolationRule, NeighbourWithTwoOpenIslandsIsWorthFour) {
    // With the island below needing three, only up + right can make two. Once the right
    // island's group has a second open island it counts as four and no pair adds up.
    constexpr const char* text = R"(
        ..1...
        ......
        ..2.1.
        .2.2..
        ..3...
    )";
    SolverBoard plain = boardOf(text);
    EXPECT_EQ(applyIsolationRule(plain, cellAt(plain, 2, 2)), 1);
    EXPECT_EQ(verticalPicture(plain).substr(21, 7), ".#+#..\n");

    SolverBoard shared = boardOf(text);
    shared.groups[shared.groupIds[cellAt(shared, 2, 4)]].openIslands = 2;
    const SolverBoard before = shared;
    EXPECT_EQ(applyIsolationRule(shared, cellAt(shared, 2, 2)), 0);
    EXPECT_EQ(boardDifference(shared, before), "");
}

}  // namespace
}  // namespace spanwright
