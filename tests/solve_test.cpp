// The solve driver on whole puzzles, its counters, and the drawing of a board in
// full-width code page 932 glyphs.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "solver/board.h"
#include "solver/solve.h"
#include "tests/support/board_picture.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::boardDifference;
using testing::boardOf;
using testing::cellAt;
using testing::checkSolution;
using testing::countersOf;
using testing::glyphDrawing;
using testing::puzzleFromLine;
using testing::puzzleOf;

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SolveBoard, ReferenceProblems) {
    const std::string data = SPANWRIGHT_TEST_DATA;
    const std::vector<std::string> problems = linesOf(data + "/problems.txt");
    const std::vector<std::string> statistics = linesOf(data + "/problems.d.out");
    ASSERT_EQ(problems.size(), 25u);
    ASSERT_EQ(statistics.size(), problems.size());

    std::string drawings;
    int finished = 0;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        SCOPED_TRACE("problem line " + std::to_string(i + 1) + ": " + problems[i]);
        const Puzzle puzzle = puzzleFromLine(problems[i]);
        SolverBoard board = boardOf(puzzle, false);
        SolveStats stats;

        const bool solved = solveBoard(stats, board, false);

        EXPECT_EQ(solved, board.isSolved());
        EXPECT_EQ(solved ? countersOf(stats) : "failed.", statistics[i]);
        if (solved) {
            ++finished;
            EXPECT_EQ(checkSolution(puzzle, board.cells.data()), "");
        }
        drawings += renderBoard(board) + (solved ? "finished.\n" : "failed.\n");
    }
    EXPECT_EQ(finished, 22);
    EXPECT_TRUE(drawings == contentsOf(data + "/problems.s.bin"))
        << "the drawings differ from problems.s.bin";
}

TEST(SolveBoard, SameCountersAndDrawingEveryTime) {
    // A problem that needs several trials, so that the trial scan position matters.
    const Puzzle puzzle = puzzleFromLine(
        "4/10/10/3...2..3.3/........../3.1......2/........../..2.3..2.2/"
        "........../4..2.2.3../..2.3.2..2/...1....../3.3.2..4.3/");
    SolverBoard first = boardOf(puzzle, false);
    SolverBoard second = boardOf(puzzle, false);
    SolveStats firstStats;
    SolveStats secondStats;

    ASSERT_TRUE(solveBoard(firstStats, first, false));
    ASSERT_TRUE(solveBoard(secondStats, second, false));

    EXPECT_EQ(countersOf(firstStats), "251,9,0,3,4,100");
    EXPECT_EQ(countersOf(secondStats), countersOf(firstStats));
    EXPECT_EQ(renderBoard(second), renderBoard(first));
    EXPECT_EQ(boardDifference(second, first), "");
}

TEST(SolveBoard, CountsThePuzzleCellsWhateverTheOutcome) {
    struct Case {
        const char* line;
        bool solved;
        int interiorCells;
    };
    const Case cases[] = {
        {"1/1/3/2.2/", true, 3},
        {"2/4/5/2.3.1/...../2.4.2/1...1/", false, 20},
        {"1/2/7/1.....1/......./", true, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SolverBoard board = boardOf(puzzleFromLine(c.line), false);
        SolveStats stats;
        stats.tableSteps = 99;
        stats.trialSecondRefuted = 99;

        EXPECT_EQ(solveBoard(stats, board, false), c.solved);

        EXPECT_EQ(stats.interiorCells, c.interiorCells);
        EXPECT_LT(stats.tableSteps, 99);
        EXPECT_EQ(stats.trialSecondRefuted, 0);
    }
}

TEST(SolveBoard, FailsWhenASettledTrialLeadsToAContradiction) {
    // No solution exists, but deduction only finds out after settling a trial.
    const Puzzle puzzle = puzzleFromLine(
        "2/10/10/2.3..3.3.2/...2....2./2........./..1..1..3./...4...3.3/3...4.3.2./"
        "...1....../..1.2..1.4/2........./...2..3..2/");
    ASSERT_EQ(testing::countSolutions(puzzle, 1), 0);
    SolverBoard board = boardOf(puzzle, false);
    SolveStats stats;

    EXPECT_FALSE(solveBoard(stats, board, false));
    EXPECT_GT(stats.trialFirstRefuted + stats.trialSecondRefuted, 0);
    EXPECT_TRUE(board.contradiction);
}

// No problem file holds an island that needs no bridge, but a board may: the runs through
// it keep their open states, so its neighbour seems to have a line that ends on a bridge.
// Laying bridges along it once flagged a cell far outside the flag sets.
TEST(SolveBoard, ANoBridgeIslandInARunEndsNoBridge) {
    Puzzle puzzle = puzzleOf(R"(
        ..2...
        41...4
        ......
        ......
        4.3...
    )");
    puzzle.cells[1 * puzzle.width + 1] = ISLAND_BASE;
    SolverBoard board = boardOf(puzzle, false);
    SolveStats stats;

    EXPECT_FALSE(solveBoard(stats, board, false));
    EXPECT_EQ(countersOf(stats), "0,0,0,0,0,30");
}

TEST(SolveBoard, DrawsTheBoardWhenAsked) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    SolverBoard board = boardOf(puzzleOf("1.2"), false);
    SolveStats stats;

    EXPECT_FALSE(solveBoard(stats, board, true, out));

    std::string written(64, '\0');
    std::rewind(out);
    written.resize(std::fread(written.data(), 1, written.size(), out));
    std::fclose(out);
    EXPECT_EQ(written, renderBoard(board));
    // The island of two shows its number although it still misses a bridge.
    EXPECT_EQ(written, glyphDrawing("1-2"));
}

TEST(RenderBoard, DrawsAnUnsolvedBoardAsFarAsItGot) {
    // Two solutions: the solver stops with four lines known to carry one or two bridges,
    // drawn as single bridges.
    const Puzzle puzzle = puzzleOf(R"(
        3.3
        ...
        3.3
    )");
    SolverBoard board = boardOf(puzzle, false);
    SolveStats stats;
    ASSERT_FALSE(solveBoard(stats, board, false));

    EXPECT_EQ(renderBoard(board), glyphDrawing(R"(
        3-3
        |.|
        3-3
    )"));
}

TEST(RenderBoard, IslandsShowTheirNumberOnceComplete) {
    const Puzzle puzzle = puzzleOf(R"(
        ..2..
        .....
        2.8.2
        .....
        ..2..
    )");
    SolverBoard board = boardOf(puzzle, false);
    SolveStats stats;
    ASSERT_TRUE(solveBoard(stats, board, false));

    EXPECT_EQ(renderBoard(board), glyphDrawing(R"(
        ..2..
        ..H..
        2=8=2
        ..H..
        ..2..
    )"));
}

TEST(RenderBoard, GlyphBytes) {
    // Row 1: islands with nothing laid, codes 5 to 13. Row 2: water under every line
    // state pair: only a lone one-or-two line shows, as a single bridge. Row 3: the four
    // bridge codes.
    const Puzzle puzzle = puzzleOf(R"(
        .........
        .........
        .........
    )");
    SolverBoard board = boardOf(puzzle, false);
    const std::uint8_t masks[9] = {0x0, 0x1, 0x4, 0x2, 0x3, 0x5, 0x8, 0xC, 0x6};
    for (int column = 0; column < 9; ++column) {
        board.cells[cellAt(board, 0, column)] = std::uint8_t(ISLAND_BASE + column);
        board.masks[cellAt(board, 1, column)] = masks[column];
    }
    for (int code = 1; code <= 4; ++code)
        board.cells[cellAt(board, 2, code - 1)] = code;

    EXPECT_EQ(renderBoard(board),
              "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\n"
              "\x81\x40\x81\x7C\x81\x62\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\n"
              "\x81\x7C\x81\x81\x81\x62\x81\x61\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\n"
              "\n");
}

TEST(RenderBoard, KeepsWithinTheGlyphsNextToOverBridgedIslands) {
    // Islands that received too many bridges on a failed board read as bridge codes. An
    // eight surrounded by them would add up to far more than eight; it is drawn as an
    // eight.
    const Puzzle puzzle = puzzleOf(R"(
        .1.
        181
        .1.
    )");
    SolverBoard board = boardOf(puzzle, false);
    board.cells[cellAt(board, 1, 0)] = H_DOUBLE;
    board.cells[cellAt(board, 1, 2)] = H_DOUBLE;
    board.cells[cellAt(board, 0, 1)] = V_DOUBLE;
    board.cells[cellAt(board, 2, 1)] = V_DOUBLE;

    EXPECT_EQ(renderBoard(board), glyphDrawing(R"(
        .H.
        =8=
        .H.
    )"));
}

// The generator scans a layout once and gives each problem derived from it only its new
// island codes; that must be the board, and the solve, of a fresh scan. With an island
// complete from the start the board is scanned anew instead.
TEST(SolveScannedBoard, ARecodedLayoutSolvesAsAFreshScan) {
    const struct {
        const char* layout;
        const char* derived;
        bool completeFirstIsland;
    } cases[] = {
        {"1.2.1\n.....\n2.3.1\n...2.\n1.1..", "2.3.1\n.....\n3.4.2\n...2.\n1.2..", false},
        {"2..2.\n..1.1\n1....\n.3.2.", "3..2.\n..2.1\n1....\n.5.3.", false},
        {"1.2.1\n.....\n2.3.1", "1.3.2\n.....\n2.4.1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.derived);
        SolverBoard layout = boardOf(c.layout, false);
        SolverBoard fresh = boardOf(c.derived, false);
        if (c.completeFirstIsland) {
            layout.cells[std::size_t(cellAt(layout, 0, 0))] = ISLAND_BASE;
            fresh.cells[std::size_t(cellAt(fresh, 0, 0))] = ISLAND_BASE;
        }
        const std::vector<std::uint8_t> plane = fresh.cells;
        layout.scanLines();
        SolverBoard recoded;
        recoded.allocate(layout.width, layout.height);
        recoded.copyFrom(layout);
        recoded.recodeIslands(plane.data());
        fresh.scanLines();
        EXPECT_EQ(boardDifference(recoded, fresh), "");

        fresh.loadPlane(plane.data());
        TrialWorkspace copy;
        SolveStats freshStats;
        SolveStats recodedStats;
        const bool freshSolved = solveBoard(freshStats, fresh, copy, false);
        const bool recodedSolved = solveScannedBoard(recodedStats, recoded, copy, false);
        EXPECT_EQ(recodedSolved, freshSolved);
        EXPECT_EQ(countersOf(recodedStats), countersOf(freshStats));
        EXPECT_EQ(renderBoard(recoded), renderBoard(fresh));
    }
}

}  // namespace
}  // namespace spanwright
