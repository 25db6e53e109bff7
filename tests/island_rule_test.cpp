// The island rule: its table, checked against a recomputation from the rule itself, and
// the rule applied to boards.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>

#include "solver/board.h"
#include "solver/island_rule_table.h"
#include "solver/rules.h"
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
using testing::verticalPicture;

/// The entry for an island missing `remaining` bridges whose four lines are in the states
/// packed in `lineIndex`, found by listing every assignment of counts to the lines.
std::uint32_t recomputeEntry(int remaining, int lineIndex) {
    const std::vector<int> countsOfState[4] = {{0}, {1, 2}, {0, 1}, {0, 1, 2}};
    std::vector<int> domain[4];
    for (int dir = 0; dir < 4; ++dir)
        domain[dir] = countsOfState[(lineIndex >> (6 - 2 * dir)) & 3];

    std::set<int> seen[4];
    for (int left : domain[0])
        for (int right : domain[1])
            for (int up : domain[2])
                for (int down : domain[3]) {
                    if (left + right + up + down != remaining) continue;
                    seen[0].insert(left);
                    seen[1].insert(right);
                    seen[2].insert(up);
                    seen[3].insert(down);
                }
    if (seen[0].empty()) return 0xFFFF;

    std::uint32_t entry = 0;
    for (int dir = 0; dir < 4; ++dir) {
        int state = 0;
        int count = 0;
        if (seen[dir] == std::set<int>{0, 1, 2})
            state = 3;
        else if (seen[dir] == std::set<int>{0, 1})
            state = 2;
        else if (seen[dir] == std::set<int>{1, 2})
            state = 1;
        else if (seen[dir].size() == 1)
            count = *seen[dir].begin();
        else
            ADD_FAILURE() << "counts 0 and 2 without 1 for remaining " << remaining
                          << ", lineIndex " << lineIndex;
        entry |= std::uint32_t(state) << (6 - 2 * dir);
        entry |= std::uint32_t(count) << (14 - 2 * dir);
    }
    return entry;
}

TEST(IslandRuleTable, AgreesWithEveryAssignmentListed) {
    for (int row = 0; row < 8; ++row)
        for (int index = 0; index < 256; ++index)
            ASSERT_EQ(ISLAND_RULE_TABLE[row][index], recomputeEntry(row + 1, index))
                << "island of " << row + 1 << ", lineIndex " << index;
}

TEST(IslandRuleTable, CountsContradictionsAndEmptyEntries) {
    int contradictions = 0;
    int unchanged = 0;
    for (int row = 0; row < 8; ++row) {
        for (int index = 0; index < 256; ++index) {
            const std::uint32_t entry = ISLAND_RULE_TABLE[row][index];
            EXPECT_EQ(entry >> 16, 0u);
            if (entry == RULE_CONTRADICTION) ++contradictions;
            if (entry == std::uint32_t(index)) ++unchanged;
        }
    }
    EXPECT_EQ(contradictions, 849);
    EXPECT_EQ(unchanged, 423);
}

// An entry is the island's state after one visit: its lines narrowed, the certain bridges
// laid (closing their lines) and its need lowered by them. A second visit must find that
// state settled, for the sweeps take an island out of their dirty set after one visit.
TEST(IslandRuleTable, AppliedToItsOwnResultChangesNothing) {
    int settled = 0;
    for (int remaining = 1; remaining <= 8; ++remaining) {
        for (int index = 0; index < 256; ++index) {
            const std::uint32_t entry = ISLAND_RULE_TABLE[remaining - 1][index];
            if (entry == RULE_CONTRADICTION) continue;
            const std::uint32_t lines = entry & 0xFF;
            int laid = 0;
            for (int dir = 0; dir < 4; ++dir)
                laid += int(entry >> (14 - 2 * dir)) & 3;
            const int left = remaining - laid;
            ASSERT_GE(left, 0) << "island of " << remaining << ", lineIndex " << index;
            if (left == 0) {
                EXPECT_EQ(lines, 0u) << "a complete island keeps a line: island of " << remaining
                                     << ", lineIndex " << index;
                continue;
            }
            EXPECT_EQ(ISLAND_RULE_TABLE[left - 1][lines], lines)
                << "island of " << remaining << ", lineIndex " << index;
            ++settled;
        }
    }
    EXPECT_EQ(settled, 765);
}

TEST(IslandRuleTable, TellingEntries) {
    struct Telling {
        int shows;
        int lineIndex;
        std::uint32_t entry;
    };
    const Telling tellings[] = {
        {1, 0x00, 0xFFFF},  // no line at all
        {1, 0xC0, 0x4000},  // its one line takes one bridge
        {1, 0xF0, 0x00A0},  // two open lines: none or one on each
        {1, 0x50, 0xFFFF},  // two lines that each want a bridge
        {2, 0xF0, 0x00F0},  // nothing learned
        {2, 0x40, 0x8000},  // its one line takes two bridges
        {3, 0xF0, 0x0050},  // one or two on each
        {4, 0xF0, 0xA000},  // two on each
        {5, 0xFC, 0x0054},  // one or two on each of three
        {6, 0xFC, 0xA800},  // two on each of three
        {7, 0xFF, 0x0055},  // one or two on each of four
        {8, 0xFF, 0xAA00},  // two on each of four
    };
    for (const Telling& telling : tellings) {
        char index[8];
        std::snprintf(index, sizeof index, "0x%02X", telling.lineIndex);
        EXPECT_EQ(ISLAND_RULE_TABLE[telling.shows - 1][telling.lineIndex], telling.entry)
            << "island of " << telling.shows << ", lineIndex " << index;
    }
}

TEST(ApplyIslandRule, LaysTheBridgeOfAnIslandWithOneLine) {
    SolverBoard board = boardOf("1.2");

    EXPECT_EQ(applyIslandRule(board, cellAt(board, 0, 0)), 1);

    EXPECT_EQ(cellPicture(board), picture("0-1"));
    EXPECT_EQ(groupPicture(board), picture("a.a"));
    EXPECT_EQ(board.liveGroups, 1);
    EXPECT_EQ(board.groups[0].demand, 1);
    EXPECT_EQ(board.groups[0].openIslands, 1);
}

TEST(ApplyIslandRule, FillsBothLinesOfAFourAndClosesCrossings) {
    SolverBoard board = boardOf(R"(
        ...1..
        .4...2
        ......
        1.11..
        .2....
    )");
    ASSERT_EQ(horizontalPicture(board), picture(R"(
        ...#..
        .#ooo#
        ......
        #o##..
        .#....
    )"));
    ASSERT_EQ(verticalPicture(board), picture(R"(
        ...#..
        .#.o.#
        .o.o..
        #o##..
        .#....
    )"));

    EXPECT_EQ(applyIslandRule(board, cellAt(board, 1, 1)), 2);

    EXPECT_EQ(cellPicture(board), picture(R"(
        ...1..
        .0===0
        .H....
        1H11..
        .0....
    )"));
    EXPECT_EQ(horizontalPicture(board), picture(R"(
        ...#..
        .#===#
        .H....
        #H##..
        .#....
    )"));
    EXPECT_EQ(verticalPicture(board), picture(R"(
        ...#..
        .#===#
        .H....
        #H##..
        .#....
    )"));
}

TEST(ApplyIslandRule, RaisesContradictionWhenNoAssignmentFits) {
    SolverBoard board = boardOf("2.1.2");
    board.setHorizontalLine(cellAt(board, 0, 1), LINE_ONE_OR_TWO, 0);
    board.setHorizontalLine(cellAt(board, 0, 3), LINE_ONE_OR_TWO, 0);
    const SolverBoard before = board;

    EXPECT_EQ(applyIslandRule(board, cellAt(board, 0, 2)), 0);

    EXPECT_EQ(board.contradiction, 1);
    board.contradiction = 0;
    EXPECT_EQ(boardDifference(board, before), "") << "only the flag changes";
}

TEST(ApplyIslandRule, ClosesEveryLineLeftAtACompleteIsland) {
    for (std::uint8_t state : {LINE_OPEN, LINE_ONE_OR_TWO}) {
        SCOPED_TRACE(::testing::Message() << "remaining line in state " << int(state));
        SolverBoard board = boardOf("1.1.1");
        board.setHorizontalLine(cellAt(board, 0, 1), LINE_CLOSED, 1);
        board.setHorizontalLine(cellAt(board, 0, 3), state, 0);
        ASSERT_EQ(cellPicture(board), picture("0-0.1"));

        EXPECT_EQ(applyIslandRule(board, cellAt(board, 0, 2)), 1);

        EXPECT_EQ(cellPicture(board), picture("0-0.1"));
        EXPECT_EQ(horizontalPicture(board), picture("#-#.#"));
        EXPECT_EQ(board.liveGroups, 2);
        EXPECT_EQ(board.contradiction, 0);
    }
}

TEST(ApplyIslandRule, LearnsNothingFromATwoBetweenTwoOpenLines) {
    SolverBoard board = boardOf("1.2.1");
    const SolverBoard before = board;

    EXPECT_EQ(applyIslandRule(board, cellAt(board, 0, 2)), 0);

    EXPECT_EQ(boardDifference(board, before), "");
}

TEST(ApplyIslandRule, NarrowsWithoutLayingBridges) {
    // A three with two open lines needs at least one bridge on each: both lines become
    // one-or-two, and the lines that cross them are closed.
    SolverBoard board = boardOf(R"(
        ..1..
        .3..2
        2.1..
        .....
        .2...
    )");
    ASSERT_EQ(horizontalPicture(board), picture(R"(
        ..#..
        .#oo#
        #o#..
        .....
        .#...
    )"));
    ASSERT_EQ(verticalPicture(board), picture(R"(
        ..#..
        .#o.#
        #o#..
        .o...
        .#...
    )"));

    EXPECT_EQ(applyIslandRule(board, cellAt(board, 1, 1)), 2);

    EXPECT_EQ(horizontalPicture(board), picture(R"(
        ..#..
        .#++#
        #.#..
        .....
        .#...
    )"));
    EXPECT_EQ(verticalPicture(board), picture(R"(
        ..#..
        .#..#
        #+#..
        .+...
        .#...
    )"));
    EXPECT_EQ(cellPicture(board), picture(R"(
        ..1..
        .3..2
        2.1..
        .....
        .2...
    )"));
}

}  // namespace
}  // namespace spanwright
