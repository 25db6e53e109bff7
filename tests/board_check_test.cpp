// The checking mode's recount of the board's index and its test of resting points: quiet
// along every solve of the golden inputs, generated problems and random boards (solvable
// or nudged out of it), and loud, naming the invariant, on a board edited behind the
// primitives' back.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "generator/derivation.h"
#include "generator/random_source.h"
#include "puzzle/problem_line.h"
#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/trial_search.h"
#include "tests/support/board_picture.h"
#include "tests/support/random_board.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::boardOf;
using testing::cellAt;

/// Solves the puzzle as solveBoard does, checking the index after the scan and after
/// every settled trial, and every resting point of the propagation. Returns whether it
/// solved the puzzle.
bool solveChecked(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    board.scanLines();
    board.checkInvariants();
    SolveStats stats;
    TrialWorkspace trials;
    std::int32_t scanPosition = 0;
    if (!propagateExtended(stats, board)) return false;
    for (;;) {
        checkRestingPoint(board, true);
        if (board.isSolved()) return true;
        if (!trialSearch(stats, board, trials, scanPosition)) return false;
        board.checkInvariants();
        if (trials.takeSettledBoard(stats, board)) continue;
        if (!propagateExtended(stats, board)) return false;
    }
}

TEST(BoardCheck, QuietAlongEverySolveOfTheGoldenInputs) {
    const std::string golden = std::string(SPANWRIGHT_TEST_DATA) + "/golden/";
    int problems = 0;
    for (const char* set :
         {"grown", "disturbed", "dense", "seeded_whole", "seeded_cropped", "large"}) {
        const testing::CommandResult text =
            testing::runCommand(GZIP_EXE, {"-dc", golden + set + ".txt.gz"});
        ASSERT_EQ(text.status, 0) << set;
        std::istringstream lines(text.out);
        std::string line;
        while (std::getline(lines, line)) {
            Puzzle puzzle;
            if (!parseProblemLine(puzzle, line)) continue;
            solveChecked(puzzle);
            ++problems;
        }
    }
    EXPECT_GT(problems, 100);
}

TEST(BoardCheck, QuietAlongSolvesOfGeneratedAndRandomBoards) {
    RandomSource source{20261208};
    for (int i = 0; i < 24; ++i) {
        Puzzle puzzle;
        generateProblem(source, 6 + i % 7, 6 + i % 7, puzzle);
        EXPECT_TRUE(solveChecked(puzzle));
    }
    std::mt19937 random(77);
    for (int i = 0; i < 150; ++i) {
        const int side = 4 + i % 9;
        Puzzle puzzle = testing::randomSolvableBoard(random, side, side, side * side / 3, 4);
        if (i % 2 == 1) testing::nudgeIsland(random, puzzle);
        solveChecked(puzzle);
    }
}

using BoardCheckDeathTest = ::testing::Test;

// Each edit changes a plane or record the index follows without telling the index.
TEST(BoardCheckDeathTest, NamesTheInvariantAnEditBreaks) {
    struct Edit {
        const char* invariant;
        std::function<void(SolverBoard&)> apply;
    };
    const Edit edits[] = {
        {"3: demand of a group",
         [](SolverBoard& b) { b.groups[b.groupIds[cellAt(b, 0, 0)]].demand += 1; }},
        {"3: the total of missing bridges",
         [](SolverBoard& b) {
             --b.cells[cellAt(b, 0, 0)];
             --b.groups[b.groupIds[cellAt(b, 0, 0)]].demand;
         }},
        {"3: liveGroups counts the groups in use", [](SolverBoard& b) { --b.liveGroups; }},
        {"3: standing islands of a group",
         [](SolverBoard& b) { b.groupIds[cellAt(b, 2, 0)] = b.groupIds[cellAt(b, 0, 0)]; }},
        {"3: open islands of a group",
         [](SolverBoard& b) { b.groups[b.groupIds[cellAt(b, 2, 2)]].openIslands = 2; }},
    };
    for (const Edit& edit : edits) {
        SolverBoard board = boardOf(R"(
            3.3
            ...
            2.2
        )");
        board.checkInvariants();
        edit.apply(board);
        EXPECT_DEATH(board.checkInvariants(), edit.invariant);
    }
}

// A freshly scanned board has every rule still to run: it is no resting point.
TEST(BoardCheckDeathTest, AFreshBoardIsNoRestingPoint) {
    const SolverBoard board = boardOf("2.2");
    EXPECT_DEATH(checkRestingPoint(board, true), "7: the island rule finds nothing at rest");
}

}  // namespace
}  // namespace spanwright
