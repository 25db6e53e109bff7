// spanwright-convert end to end, and the interchange with the Bridges program of the
// collection itself: it must open every ID written here, its solver must find our
// solutions, and the boards it makes must come back here whole and uniquely solvable.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/cli/program.h"
#include "puzzle/game_id.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "solver/board.h"
#include "solver/solve.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::CommandResult;
using testing::readFile;
using testing::runCommand;
using testing::TempDir;

const std::string kConvert = SPANWRIGHT_CONVERT_EXE;
const std::string kPeer = "/usr/games/sgt-bridges";

/// Runs a shell script, for the runs that read standard input: $0, $1... are `args`.
CommandResult shell(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-c", script};
    all.insert(all.end(), args.begin(), args.end());
    return runCommand("/bin/sh", all);
}

TEST(Convert, ConvertsWhatItCanAndSaysWhereTheRestIs) {
    TempDir dir;
    const std::string ids = dir.write("ids", "3x3:2a2c2a2\n\n \t3x3:2a2c2a2 \r\n3x3m3:2a2c2a2\n" +
                                                 std::string(MAX_LINE_LENGTH, 'a') + "\n3x4:1a1i");
    CommandResult result = runCommand(kConvert, {"--from", "id", ids, dir.path() + "/none"});
    EXPECT_EQ(result.status, 1);
    // Game IDs carry no grade; each line gets the one deduction gives it.
    EXPECT_EQ(result.out, "1/3/3/2.2/.../2.2/\n1/3/3/2.2/.../2.2/\n1/4/3/1.1/.../.../.../\n");
    const std::string start = "spanwright-convert: " + ids;
    // The second ID repeats the first: converted all the same, and named.
    EXPECT_EQ(result.err, start + ":3: warning: repeats line 1\n" + start +
                              ":4: not a game ID: bridge limit m3; the rules here allow 1 or 2 "
                              "bridges between two islands (m2)\n" +
                              start + ":5: the line is longer than 1 MiB\nspanwright-convert: " +
                              dir.path() + "/none: cannot open: No such file or directory\n");

    const std::string lines = dir.write("lines", "5/1/3/2.2/\n1/3/3/2.2/.../2.2/\n");
    result = runCommand(kConvert, {"-t", "id", lines});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "3x3m2:2a2c2a2\n");
    EXPECT_EQ(result.err, "spanwright-convert: " + lines +
                              ":1: no game ID for this board: the board is 3 x 1; the "
                              "collection's apps open boards of 3 x 3 and more\n");
}

TEST(Convert, BenchmarkFilesFromInputAndFilesAsPictures) {
    TempDir dir;
    const std::string has = dir.write("p.has", "2 3 2\n1 0 0\n0 0 1\n");
    const std::string bad = dir.write("bad.has", "2 3 2\n1 0 0\n0 0 1\n0 0 0\n");
    const CommandResult result =
        shell("\"$0\" --from has --to text - \"$1\" \"$2\" < \"$1\"", {kConvert, has, bad});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "1 \u00B7 \u00B7\n\u00B7 \u00B7 1\n\n1 \u00B7 \u00B7\n\u00B7 \u00B7 1\n");
    // The same file read twice is one puzzle twice.
    EXPECT_EQ(result.err, "spanwright-convert: " + has +
                              ": warning: repeats (standard input)\nspanwright-convert: " + bad +
                              ":4: not a benchmark file: more rows than the 2 the first line "
                              "gives\n");
}

TEST(Convert, CommandLine) {
    EXPECT_EQ(runCommand(kConvert, {"--help"}).out.rfind("Usage: spanwright-convert [OPTION]", 0),
              0u);
    EXPECT_EQ(runCommand(kConvert, {"-V"}).out,
              std::string("spanwright-convert ") + VERSION + "\n");
    for (const auto& [option, value, message] :
         {std::tuple{"--from", "json",
                     "--from 'json' is none of the input formats line, id, puzzlink, pencilbox "
                     "or has"},
          {"--to", "png",
           "--to 'png' is none of the output formats line, id, puzzlink, pencilbox, has, "
           "text, json or csv"},
          {"--from", nullptr, "option '--from' needs a value"},
          {"-x", nullptr, "unknown option '-x'"}}) {
        std::vector<std::string> args = {option};
        if (value) args.push_back(value);
        const CommandResult result = runCommand(kConvert, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, std::string("spanwright-convert: ") + message +
                                  "\nTry 'spanwright-convert --help' for more information.\n");
    }
}

bool peerMissing() {
    return access(kPeer.c_str(), X_OK) != 0;
}

#define SKIP_WITHOUT_PEER()                                                  \
    if (peerMissing())                                                       \
    GTEST_SKIP() << kPeer                                                    \
                 << " is missing (Debian package sgt-puzzles, installed by " \
                    "./dev deps test): the interchange is not tested"

/// Bridges as "x1,y1,x2,y2,n", column and row from 0, left or upper end first: the form in
/// which the peer's solution moves name them.
using Bridges = std::set<std::string>;

std::string bridgeName(int x1, int y1, int x2, int y2, int n) {
    return std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) + "," +
           std::to_string(y2) + "," + std::to_string(n);
}

Bridges ourSolution(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    EXPECT_TRUE(solveBoard(stats, board, false));
    Bridges bridges;
    for (const Bridge& bridge : solutionOf(board))
        bridges.insert(
            bridgeName(bridge.column1, bridge.row1, bridge.column2, bridge.row2, bridge.bridges));
    return bridges;
}

/// The bridges of the SOLVE line of a saved game ("S;L0,0,6,0,1;M0,0;...").
Bridges peerSolution(const std::string& saved) {
    const std::size_t solve = saved.find("\nSOLVE");
    std::istringstream moves(saved.substr(saved.find(':', saved.find(':', solve) + 1) + 1));
    Bridges bridges;
    for (std::string move; std::getline(moves, move, ';');) {
        int x1, y1, x2, y2, n;
        if (std::sscanf(move.c_str(), "L%d,%d,%d,%d,%d", &x1, &y1, &x2, &y2, &n) != 5) continue;
        if (y2 < y1 || x2 < x1) std::swap(x1, x2), std::swap(y1, y2);
        if (n > 0) bridges.insert(bridgeName(x1, y1, x2, y2, n));
    }
    return bridges;
}

/// A generated problem inside a larger board of water, width and height unequal.
Puzzle padded(const Puzzle& puzzle, int left, int top, int width, int height) {
    Puzzle wide;
    wide.width = std::int8_t(width);
    wide.height = std::int8_t(height);
    wide.allocateCells();
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c)
            wide.cells[(r + top) * width + c + left] = puzzle.cells[r * puzzle.width + c];
    return wide;
}

TEST(Convert, PeerOpensOurIdsAndItsSolutionsAreOurs) {
    SKIP_WITHOUT_PEER();
    std::vector<Puzzle> puzzles;
    for (const char* name :
         {"seeded-4242-10-12.txt", "seeded-4343-15-6.txt", "seeded-4444-20-3.txt"}) {
        std::ifstream file(std::string(SPANWRIGHT_TEST_DATA) + "/" + name);
        for (std::string line; std::getline(file, line);) {
            ASSERT_TRUE(parseProblemLine(puzzles.emplace_back(), line));
            if (puzzles.back().width == 10) {
                puzzles.push_back(padded(puzzles.back(), 2, 0, 13, 10));
                puzzles.push_back(padded(puzzles[puzzles.size() - 2], 0, 3, 10, 14));
            }
        }
    }
    TempDir dir;
    std::string ids;
    for (const Puzzle& puzzle : puzzles) {
        std::string id;
        ASSERT_TRUE(formatGameId(puzzle, id, nullptr));
        ids += id + "\n";
    }
    dir.write("ids", ids);

    // The peer stops at the first board its solver cannot finish, so every board is opened
    // once without solutions, and then solved on its own.
    const CommandResult opened = shell("\"$0\" --save \"$1/s\" < \"$1/ids\"", {kPeer, dir.path()});
    ASSERT_EQ(opened.status, 0) << opened.err;
    std::istringstream idLines(ids);
    int solved = 0;
    for (std::size_t i = 0; i < puzzles.size(); ++i) {
        std::string id;
        std::getline(idLines, id);
        const std::string saved = readFile(dir.path() + "/s" + std::to_string(i));
        EXPECT_NE(saved.find(":" + id.substr(id.find(':') + 1) + "\n"), std::string::npos) << id;

        const CommandResult run =
            shell("echo \"$2\" | \"$0\" --save \"$1/t\" --soln", {kPeer, dir.path(), id});
        if (run.status != 0) continue;  // beyond its solver, which does not guess
        ++solved;
        EXPECT_EQ(peerSolution(readFile(dir.path() + "/t0")), ourSolution(puzzles[i])) << id;
    }
    EXPECT_GT(solved, int(puzzles.size()) / 4);
}

// A pack record whose exact search runs out of its CPU time gets a null solution and a
// warning, not a run without end; the limit is read like every program's.
TEST(Convert, PackSearchIsBoundedByTheTimeLimit) {
    TempDir dir;
    const std::string ring = dir.write("ring", "0/4/4/3..3/..../..../3..3/\n");
    CommandResult result = runCommand(kConvert, {"--to", "json", "--time-limit", "0.000001", ring});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\"solution\":null"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("time limit (unknown)"), std::string::npos) << result.err;
    result = runCommand(kConvert, {"--to", "csv", "--time-limit", "soon", ring});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--time-limit 'soon'"), std::string::npos);
}

// Records go out one by one: a failed write is noticed at the first record, before the
// other puzzles are solved and rated (each would warn of its several solutions here).
TEST(Convert, StopsAtTheFirstRecordThatCannotBeWritten) {
    TempDir dir;
    std::string lines;
    for (int i = 0; i < 5; ++i)
        lines += "0/4/4/3..3/..../..../3..3/\n";
    const CommandResult result =
        shell("\"$0\" --to json \"$1\" > /dev/full", {kConvert, dir.write("rings", lines)});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("failed to write"), std::string::npos) << result.err;
    std::size_t warnings = 0;
    for (std::size_t at = result.err.find("warning"); at != std::string::npos;
         at = result.err.find("warning", at + 1))
        ++warnings;
    EXPECT_EQ(warnings, 1u) << result.err;
}

TEST(Convert, PeerMadeBoardsComeBackWholeAndUnique) {
    SKIP_WITHOUT_PEER();
    TempDir dir;
    std::string lines;
    for (const char* parameters : {"10x10i30e10m2d2#spanwright", "7x12i30e10m2d2#spanwright"}) {
        const CommandResult made = runCommand(kPeer, {"--generate", "4", parameters});
        ASSERT_EQ(made.status, 0) << made.err;
        std::istringstream ids(made.out);
        for (std::string id; std::getline(ids, id);) {
            Puzzle puzzle;
            std::string err;
            ASSERT_TRUE(parseGameId(puzzle, id, &err)) << id << ": " << err;
            std::string written;
            ASSERT_TRUE(formatGameId(puzzle, written, &err)) << err;
            EXPECT_EQ(written, id);
            lines += formatProblemLine(puzzle);
        }
    }
    const CommandResult checked = runCommand(SPANWRIGHT_CHECK_EXE, {dir.write("boards", lines)});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;  // every board unique
}

}  // namespace
}  // namespace spanwright
