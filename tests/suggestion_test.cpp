// The change that makes a puzzle with several solutions unique: whatever it suggests, the
// exhaustive counter of the test support (which shares no code with the exact search)
// finds exactly one solution once it is made.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "exact/exact_solver.h"
#include "maker/suggestion.h"
#include "support/random_board.h"
#include "support/solution_check.h"

namespace spanwright::maker {
namespace {

TEST(Suggestion, EveryChangeItOffersLeavesOneSolution) {
    // Boards numbered from bridges laid at random: many have several solutions.
    std::mt19937 random(33);
    int offered = 0, added = 0, several = 0;
    for (int board = 0; board < 60; ++board) {
        const Puzzle open = testing::randomSolvableBoard(random, 9, 9, 12, 8);
        const exact::ExactResult result = exact::solveExactly(open);
        if (result.verdict != exact::Verdict::Multiple) continue;
        ++several;
        const Suggestion s = suggestUnique(open, result, 5);
        if (!s.found) continue;
        ++offered;
        added += s.kind == Suggestion::Kind::Add;
        const int at = s.row * open.width + s.column;
        EXPECT_EQ(open.cells[at] == 0, s.kind == Suggestion::Kind::Add);
        Puzzle changed = copyPuzzle(open);
        changed.cells[at] = std::uint8_t(ISLAND_BASE + s.number);
        EXPECT_EQ(testing::countSolutions(changed, 2), 1) << "board " << board << ": " << s.reason;
    }
    // One change is often not enough, but it is found where splitting a bridge does it.
    EXPECT_GT(several, 5);
    EXPECT_GE(offered, 3);
    EXPECT_GT(added, 0);
}

TEST(Suggestion, NothingForAPuzzleWithOneSolution) {
    Puzzle pair;
    pair.width = 3;
    pair.height = 1;
    pair.allocateCells();
    pair.cells[0] = pair.cells[2] = ISLAND_BASE + 1;
    const exact::ExactResult result = exact::solveExactly(pair);
    ASSERT_EQ(result.verdict, exact::Verdict::Unique);
    EXPECT_FALSE(suggestUnique(pair, result, 1).found);
}

}  // namespace
}  // namespace spanwright::maker
