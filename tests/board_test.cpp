// The solver's board: the scan that finds lines and groups, the primitives that set lines
// and lay bridges, and the two whole-board tests.

#include <gtest/gtest.h>

#include "solver/board.h"
#include "tests/support/board_picture.h"

namespace spanwright {
namespace {

using testing::boardDifference;
using testing::boardOf;
using testing::cellAt;
using testing::cellPicture;
using testing::groupPicture;
using testing::horizontalPicture;
using testing::picture;
using testing::puzzleOf;
using testing::verticalPicture;

TEST(ScanLines, GivesGroupIdsInRowOrder) {
    SolverBoard board = boardOf(R"(
        ......
        .....2
        .1.3..
    )");

    EXPECT_EQ(groupPicture(board), picture(R"(
        ......
        .....a
        .b.c..
    )"));
    EXPECT_EQ(board.liveGroups, 3);
    EXPECT_EQ(board.groups[0].demand, 2);
    EXPECT_EQ(board.groups[1].demand, 1);
    EXPECT_EQ(board.groups[2].demand, 3);
    for (int id = 0; id < 3; ++id)
        EXPECT_EQ(board.groups[id].openIslands, 1) << "group " << id;
    EXPECT_EQ(board.contradiction, 0);
}

TEST(ScanLines, OpensLinesBetweenIslandsOnly) {
    // Water that leads to the border carries no line; where a row line and a column line
    // meet, the cell holds both.
    SolverBoard board = boardOf(R"(
        .1...
        2..2.
        .1..1
    )");

    EXPECT_EQ(horizontalPicture(board), picture(R"(
        .#...
        #oo#.
        .#oo#
    )"));
    EXPECT_EQ(verticalPicture(board), picture(R"(
        .#...
        #o.#.
        .#..#
    )"));
    EXPECT_EQ(board.masks[cellAt(board, 1, 1)], 0x0F);
    for (int pos = 0; pos < board.cellCount(); ++pos) {
        const int row = pos / board.width;
        const int column = pos % board.width;
        const bool border =
            row == 0 || column == 0 || row == board.height - 1 || column == board.width - 1;
        if (border) {
            EXPECT_EQ(board.masks[pos], 0) << "border cell " << pos;
        }
    }
}

TEST(ScanLines, SeesEachLineFromBothEnds) {
    // Every island opens only the lines to its right and below; the middle island's left
    // line is opened by its neighbour's scan.
    SolverBoard board = boardOf("1.2.1");
    const int middle = cellAt(board, 0, 2);
    EXPECT_EQ(board.lineState(middle, 0), LINE_OPEN);
    EXPECT_EQ(board.lineState(middle, 1), LINE_OPEN);
    EXPECT_EQ(board.lineState(middle, 2), LINE_CLOSED);
    EXPECT_EQ(board.lineState(middle, 3), LINE_CLOSED);
}

TEST(ScanLines, LeavesNoLineBetweenAdjacentIslands) {
    SolverBoard board = boardOf("12.1");

    EXPECT_EQ(horizontalPicture(board), picture("##o#"));
    EXPECT_EQ(board.lineState(cellAt(board, 0, 0), 1), LINE_CLOSED);
    EXPECT_EQ(board.lineState(cellAt(board, 0, 1), 0), LINE_CLOSED);
    EXPECT_EQ(board.lineState(cellAt(board, 0, 1), 1), LINE_OPEN);
    EXPECT_EQ(board.liveGroups, 3);
}

TEST(LayBridges, MergesIntoTheSmallerId) {
    SolverBoard board = boardOf(R"(
        1.2.3
        .....
        4.1.2
    )");
    const int c = cellAt(board, 0, 4);
    const int e = cellAt(board, 2, 2);
    const int f = cellAt(board, 2, 4);

    board.layBridges(e, f, 1);
    EXPECT_EQ(groupPicture(board), picture(R"(
        a.b.c
        .....
        d.e.e
    )"));
    EXPECT_EQ(board.groups[4].demand, 1);
    EXPECT_EQ(board.groups[4].openIslands, 1);

    // Group 4 now holds two islands; both move to the survivor 2.
    board.layBridges(c, f, 1);
    EXPECT_EQ(groupPicture(board), picture(R"(
        a.b.c
        .....
        d.c.c
    )"));
    EXPECT_EQ(cellPicture(board), picture(R"(
        1.2.2
        .....
        4.0.0
    )"));
    EXPECT_EQ(board.groups[2].demand, 2);  // 3 + 1 - 2
    EXPECT_EQ(board.groups[2].openIslands, 1);
    EXPECT_EQ(board.groups[4].demand, 0);
    EXPECT_EQ(board.groups[4].openIslands, 0);
    EXPECT_EQ(board.groups[5].demand, 0);
    EXPECT_EQ(board.groups[5].openIslands, 0);
    EXPECT_EQ(board.liveGroups, 4);
}

TEST(LayBridges, WithinOneGroupOnlyLowersDemand) {
    SolverBoard board = boardOf("4.4");
    const int left = cellAt(board, 0, 0);
    const int right = cellAt(board, 0, 2);
    board.layBridges(left, right, 1);
    ASSERT_EQ(board.liveGroups, 1);
    ASSERT_EQ(board.groups[0].demand, 6);

    board.layBridges(left, right, 2);

    EXPECT_EQ(board.liveGroups, 1);
    EXPECT_EQ(board.groups[0].demand, 2);
    EXPECT_EQ(board.groups[0].openIslands, 2);
    EXPECT_EQ(cellPicture(board), picture("1.1"));
}

TEST(LayBridges, CountsOnlyIslandsLeftOpen) {
    SolverBoard board = boardOf("1.3");
    board.layBridges(cellAt(board, 0, 0), cellAt(board, 0, 2), 1);

    EXPECT_EQ(board.cells[cellAt(board, 0, 0)], ISLAND_BASE);
    EXPECT_EQ(board.cells[cellAt(board, 0, 2)], ISLAND_BASE + 2);
    EXPECT_EQ(board.groups[0].demand, 2);
    EXPECT_EQ(board.groups[0].openIslands, 1);
    EXPECT_EQ(board.liveGroups, 1);
}

TEST(LayBridges, StopsAnIslandBeforeItsCodeWouldReachWater) {
    // An island that receives more bridges than it needs sinks to a code that reads as a
    // bridge; that is left to the refutation test. Should it sink to water, walks along
    // the lines would run through it, so the board is marked contradictory instead and
    // the island keeps its code.
    SolverBoard board = boardOf(R"(
        ..2..
        .....
        2.1.2
        .....
        ..2..
    )");
    const int centre = cellAt(board, 2, 2);

    board.setHorizontalLine(cellAt(board, 2, 1), LINE_CLOSED, 2);
    EXPECT_EQ(board.cells[centre], 4);
    EXPECT_EQ(board.contradiction, 0);
    EXPECT_TRUE(board.isRefuted());

    board.setHorizontalLine(cellAt(board, 2, 3), LINE_CLOSED, 2);
    EXPECT_EQ(board.cells[centre], 2);
    EXPECT_EQ(board.contradiction, 0);

    board.setVerticalLine(cellAt(board, 1, 2), LINE_CLOSED, 2);
    EXPECT_EQ(board.contradiction, 1);
    EXPECT_NE(board.cells[centre], WATER);

    board.setVerticalLine(cellAt(board, 3, 2), LINE_CLOSED, 2);
    EXPECT_EQ(board.contradiction, 1);
    EXPECT_NE(board.cells[centre], WATER);
    EXPECT_TRUE(board.isRefuted());
}

// What setting a line does, by state and count. The board has one line across and one
// down, crossing in the middle; every island needs two.
struct LineEffect {
    std::uint8_t state;
    int count;
    bool closesCrossing;
};

constexpr LineEffect kLineEffects[] = {
    {LINE_CLOSED, 1, true},     {LINE_CLOSED, 2, true},       {LINE_CLOSED, 0, false},
    {LINE_ONE_OR_TWO, 0, true}, {LINE_ZERO_OR_ONE, 0, false}, {LINE_OPEN, 0, false},
    {LINE_ONE_OR_TWO, 2, true}, {LINE_ZERO_OR_ONE, 1, true},  {LINE_OPEN, 2, true},
};

constexpr const char* kCross = R"(
    ..2..
    .....
    2...2
    .....
    ..2..
)";

TEST(SetLine, HorizontalEffectsByStateAndCount) {
    for (const LineEffect& effect : kLineEffects) {
        SCOPED_TRACE(::testing::Message()
                     << "state " << int(effect.state) << ", count " << effect.count);
        SolverBoard board = boardOf(kCross);
        board.setHorizontalLine(cellAt(board, 2, 3), effect.state, effect.count);

        const bool lays = effect.state == LINE_CLOSED && effect.count != 0;
        const std::uint8_t code = effect.state == LINE_CLOSED ? std::uint8_t(effect.count) : 0;
        for (int column = 1; column <= 3; ++column) {
            const int pos = cellAt(board, 2, column);
            EXPECT_EQ(horizontalState(board.masks[pos]), effect.state) << "column " << column;
            EXPECT_EQ(board.cells[pos], code) << "column " << column;
        }
        for (int row = 1; row <= 3; ++row) {
            const int pos = cellAt(board, row, 2);
            EXPECT_EQ(verticalState(board.masks[pos]),
                      effect.closesCrossing ? LINE_CLOSED : LINE_OPEN)
                << "row " << row;
        }
        const std::uint8_t endCode = std::uint8_t(ISLAND_BASE + 2 - (lays ? effect.count : 0));
        EXPECT_EQ(board.cells[cellAt(board, 2, 0)], endCode);
        EXPECT_EQ(board.cells[cellAt(board, 2, 4)], endCode);
        EXPECT_EQ(board.cells[cellAt(board, 0, 2)], ISLAND_BASE + 2);
        EXPECT_EQ(board.liveGroups, lays ? 3 : 4);
    }
}

TEST(SetLine, VerticalEffectsByStateAndCount) {
    for (const LineEffect& effect : kLineEffects) {
        SCOPED_TRACE(::testing::Message()
                     << "state " << int(effect.state) << ", count " << effect.count);
        SolverBoard board = boardOf(kCross);
        board.setVerticalLine(cellAt(board, 1, 2), effect.state, effect.count);

        const bool lays = effect.state == LINE_CLOSED && effect.count != 0;
        const std::uint8_t code =
            effect.state == LINE_CLOSED && effect.count != 0 ? std::uint8_t(effect.count + 2) : 0;
        for (int row = 1; row <= 3; ++row) {
            const int pos = cellAt(board, row, 2);
            EXPECT_EQ(verticalState(board.masks[pos]), effect.state) << "row " << row;
            EXPECT_EQ(board.cells[pos], code) << "row " << row;
        }
        for (int column = 1; column <= 3; ++column) {
            const int pos = cellAt(board, 2, column);
            EXPECT_EQ(horizontalState(board.masks[pos]),
                      effect.closesCrossing ? LINE_CLOSED : LINE_OPEN)
                << "column " << column;
        }
        const std::uint8_t endCode = std::uint8_t(ISLAND_BASE + 2 - (lays ? effect.count : 0));
        EXPECT_EQ(board.cells[cellAt(board, 0, 2)], endCode);
        EXPECT_EQ(board.cells[cellAt(board, 4, 2)], endCode);
        EXPECT_EQ(board.cells[cellAt(board, 2, 0)], ISLAND_BASE + 2);
        EXPECT_EQ(board.liveGroups, lays ? 3 : 4);
    }
}

TEST(SetLine, DoubleBridgeAcrossAnOpenLine) {
    SolverBoard board = boardOf(kCross);

    board.setHorizontalLine(cellAt(board, 2, 2), LINE_CLOSED, 2);

    EXPECT_EQ(cellPicture(board), picture(R"(
        ..2..
        .....
        0===0
        .....
        ..2..
    )"));
    EXPECT_EQ(verticalPicture(board), picture(R"(
        ..#..
        .....
        #===#
        .....
        ..#..
    )"));
    EXPECT_EQ(groupPicture(board), picture(R"(
        ..a..
        .....
        b...b
        .....
        ..d..
    )"));
}

TEST(IsSolved, NeedsEveryIslandCompleteInOneGroup) {
    SolverBoard joined = boardOf("1.1");
    joined.setHorizontalLine(cellAt(joined, 0, 1), LINE_CLOSED, 1);
    EXPECT_TRUE(joined.isSolved());

    SolverBoard lone = boardOf("..1..");
    EXPECT_EQ(lone.liveGroups, 1);
    EXPECT_FALSE(lone.isSolved());

    SolverBoard halves = boardOf(R"(
        1.1
        ...
        ...
        1.1
    )");
    halves.setHorizontalLine(cellAt(halves, 0, 1), LINE_CLOSED, 1);
    halves.setHorizontalLine(cellAt(halves, 3, 1), LINE_CLOSED, 1);
    ASSERT_EQ(cellPicture(halves), picture(R"(
        0-0
        ...
        ...
        0-0
    )"));
    EXPECT_EQ(halves.liveGroups, 2);
    EXPECT_FALSE(halves.isSolved());
}

TEST(IsSolved, BoardWithoutIslandsIsNotSolved) {
    SolverBoard board = boardOf(R"(
        ...
        ...
    )");
    EXPECT_EQ(board.liveGroups, 0);
    EXPECT_FALSE(board.isSolved());
}

TEST(IsRefuted, FreshAndConsistentBoardsAreNot) {
    SolverBoard fresh = boardOf(R"(
        2.3.1
        .....
        1...1
    )");
    EXPECT_FALSE(fresh.isRefuted());

    // One group whose demand still matches the bridges its islands miss.
    SolverBoard chain = boardOf("2.3.1");
    chain.setHorizontalLine(cellAt(chain, 0, 1), LINE_CLOSED, 1);
    chain.setHorizontalLine(cellAt(chain, 0, 3), LINE_CLOSED, 1);
    ASSERT_EQ(chain.liveGroups, 1);
    ASSERT_EQ(chain.groups[0].demand, 2);
    EXPECT_FALSE(chain.isRefuted());
}

TEST(IsRefuted, SeesContradictionsClosedGroupsOverBridging) {
    SolverBoard flagged = boardOf("1.1");
    flagged.contradiction = 1;
    EXPECT_TRUE(flagged.isRefuted());

    // A finished pair while another pair is still open: they can never be joined.
    SolverBoard sealed = boardOf(R"(
        1.1
        ...
        ...
        1.1
    )");
    sealed.setHorizontalLine(cellAt(sealed, 0, 1), LINE_CLOSED, 1);
    EXPECT_EQ(sealed.liveGroups, 3);
    EXPECT_TRUE(sealed.isRefuted());

    // Two bridges at an island of 1, as a trial may lay them on its copy: the single
    // group's demand is below what its islands still miss.
    SolverBoard single = boardOf("1.2");
    single.setHorizontalLine(cellAt(single, 0, 1), LINE_CLOSED, 2);
    ASSERT_EQ(single.liveGroups, 1);
    EXPECT_EQ(single.groups[0].demand, -1);
    EXPECT_TRUE(single.isRefuted());

    // The same next to groups that are still open: the negative demand gives it away.
    SolverBoard several = boardOf(R"(
        1.2
        ...
        ...
        1.1
    )");
    several.setHorizontalLine(cellAt(several, 0, 1), LINE_CLOSED, 2);
    ASSERT_EQ(several.liveGroups, 3);
    EXPECT_TRUE(several.isRefuted());
}

TEST(LoadPlane, StartsAUsedBoardAfresh) {
    const Puzzle puzzle = puzzleOf(R"(
        2.3
        ...
        ..1
    )");
    SolverBoard used = boardOf(puzzle);
    used.setHorizontalLine(cellAt(used, 0, 1), LINE_CLOSED, 2);
    used.contradiction = 1;

    const SolverBoard fresh = boardOf(puzzle, false);
    used.loadPlane(fresh.cells.data());
    EXPECT_EQ(used.contradiction, 0);
    EXPECT_EQ(used.liveGroups, 0);
    used.scanLines();

    EXPECT_EQ(boardDifference(used, boardOf(puzzle)), "");
}

}  // namespace
}  // namespace spanwright
