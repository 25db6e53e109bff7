// The explaining program as a player meets it: hints on games saved by the collection's
// Bridges program (a right position, one half-way, one with wrong bridges), the shape of
// its JSON, its pictures, and how it reports what it cannot read.

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "exact/exact_solver.h"
#include "puzzle/peer_save.h"
#include "puzzle/problem_line.h"
#include "tests/support/random_board.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::runCommand;
using testing::TempDir;

const std::string EXPLAIN = SPANWRIGHT_EXPLAIN_EXE;
const std::string PEER = std::string(SPANWRIGHT_TEST_DATA) + "/peer/";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ExplainProgram, WrongBridgesAreNamedInsteadOfAHint) {
    const auto result = runCommand(EXPLAIN, {"--hint", PEER + "wrong.sav"});
    EXPECT_TRUE(has(result.out,
                    ", 5 bridges laid\n"
                    "  the double bridge between (1,3) and (5,3) is wrong: only one bridge "
                    "belongs there\n"
                    "  the bridge between (3,1) and (5,1) is wrong\n"
                    "  no hint from a wrong position: take those bridges away first\n"))
        << result.out;
    EXPECT_FALSE(has(result.out, "hint (")) << result.out;
    EXPECT_EQ(result.status, 1);
    const auto json = runCommand(EXPLAIN, {"--json", PEER + "wrong.sav"});
    EXPECT_TRUE(has(json.out, R"("solved":false,"laid":[[0,0,0,2,2],[0,2,4,2,2],[2,0,4,0,1]],)"
                              R"("wrong":[[0,2,4,2,2],[2,0,4,0,1]],"steps":[]})"))
        << json.out;
}

// Where the steps stop short, the exact search says why: a board without a solution that
// only a count over the whole board shows, and one with several solutions.
TEST(ExplainProgram, UnsettledPuzzlesSayWhyTheStepsStop) {
    const TempDir dir;
    const struct {
        std::string line;
        const char* said;
        const char* json;
    } cases[] = {
        {"0/15/19/2.2.2.2.2.2.2.2.2.2/.................../2.2.2.2.2.2.2.2..../........"
         ".........../2.2.2.2.2.2.2.2.2.2/.................../2.2.2.2.2.2.2.2..../...."
         ".............../2.2.2.2.2.2.2.2..../.................../2.2.2.2.2.2.2.2..../"
         ".................../2.2.2.2.2.2.2.2..../.................../2.2.2.2.2.2.2.2."
         ".../",
         "the exact search shows the puzzle has no solution: the group of the 2 at (1,17) and "
         "three other islands is cut off: every line that could leave it must stay empty\n",
         R"("verdict":"none","reason":"the group of the 2 at (1,17) and three other islands)"},
        {"1/3/3/3.3/.../3.3/", "the puzzle has several solutions", R"("verdict":"several")"},
    };
    for (const auto& c : cases) {
        const std::string file = dir.write("p.txt", c.line + "\n");
        const auto text = runCommand(EXPLAIN, {file});
        EXPECT_TRUE(has(text.out, c.said)) << text.out;
        EXPECT_EQ(text.status, 1);
        const auto json = runCommand(EXPLAIN, {"--json", file});
        EXPECT_TRUE(has(json.out, c.json)) << json.out;
    }
}

TEST(ExplainProgram, HintsOnSavedGames) {
    const struct {
        const char* save;
        std::string said;
    } cases[] = {
        {"right.sav", "right.sav:6: 7x7, 11 islands, level "},
        {"right.sav", ", 1 bridge laid\n  hint ("},
        {"halfway.sav", ", 8 bridges laid\n  hint ("},
        {"solved.sav", "  the puzzle is solved\n"},
    };
    for (const auto& c : cases) {
        const auto result = runCommand(EXPLAIN, {"--hint", PEER + c.save});
        EXPECT_EQ(result.status, 0) << c.save << result.out << result.err;
        EXPECT_TRUE(has(result.out, c.said)) << c.save << ": " << result.out;
        // One step, not the steps after it.
        EXPECT_FALSE(has(result.out, "1. ")) << result.out;
    }
}

TEST(ExplainProgram, HintsNeverContradictTheSolution) {
    PeerSave save;
    ASSERT_TRUE(parsePeerSave(runCommand("/bin/cat", {PEER + "halfway.sav"}).out, save));
    const Solution solution = exact::solveExactly(save.puzzle).solutions.at(0);
    const auto result = runCommand(EXPLAIN, {"--json", "--hint", PEER + "halfway.sav"});
    ASSERT_EQ(result.status, 0) << result.err;

    const std::regex set(R"(\[(\d+),(\d+),(\d+),(\d+),(\d),(\d)\])");
    const std::string sets = result.out.substr(result.out.find("\"sets\":"));
    int checked = 0;
    for (std::sregex_iterator it(sets.begin(), sets.end(), set), end; it != end; ++it, ++checked) {
        const auto& m = *it;
        int bridges = 0;
        for (const Bridge& b : solution)
            if (b.row1 == std::stoi(m[1]) && b.column1 == std::stoi(m[2]) &&
                b.row2 == std::stoi(m[3]) && b.column2 == std::stoi(m[4]))
                bridges = b.bridges;
        EXPECT_LE(std::stoi(m[5]), bridges) << m[0];
        EXPECT_GE(std::stoi(m[6]), bridges) << m[0];
    }
    EXPECT_GT(checked, 0) << result.out;
}

TEST(ExplainProgram, JsonShapeAndPictures) {
    TempDir dir;
    const std::string file = dir.write("two.txt", "1/1/3/1.1/\n");

    const auto json = runCommand(EXPLAIN, {"--json", file});
    const std::string step =
        R"(\{"technique":"[a-z-]+","rung":"easy","islands":\[\[0,[02]\](,\[0,[02]\])*\],)"
        R"("sets":\[\[0,0,0,2,1,1\]\],"reason":"[^"]+\."\})";
    EXPECT_TRUE(std::regex_match(
        json.out, std::regex(R"(\{"file":")" + file +
                             R"(","line":1,"width":3,"height":1,"level":"easy","score":[0-9.]+,)"
                             R"("solved":true,"steps":\[)" +
                             step + R"(\]\}\n)")))
        << json.out;
    EXPECT_EQ(json.status, 0);

    const auto pictures = runCommand(EXPLAIN, {"--pictures", file});
    EXPECT_TRUE(has(pictures.out, "      1·1\n\n   1. The 1 at (1,1) ")) << pictures.out;
    EXPECT_TRUE(has(pictures.out, ".\n      1─1\n\n  solved in 1 step\n")) << pictures.out;
}

// Explaining stops at the first write that fails: nothing after it is read or solved, so
// neither the faulty second line nor the missing file is reported.
TEST(ExplainProgram, StopsAtTheFirstFailedWrite) {
    TempDir dir;
    const std::string lines = dir.write("lines.txt", "3x1m2:1a1\nnot a problem\n");
    const auto result = runCommand("/bin/sh", {"-c", "\"$0\" \"$1\" \"$2\" > /dev/full", EXPLAIN,
                                               lines, dir.path() + "/missing"});
    EXPECT_EQ(result.err, "spanwright-explain: failed to write to standard output\n");
    EXPECT_EQ(result.status, 1);
}

// Pictures go out step by step: on this board all of them come to some 150 MB and 12 s of
// CPU time, yet a reader that takes the first 64 KiB and goes gets them at once, and the
// program ends at its next write (SIGPIPE) instead of making the rest first.
TEST(ExplainProgram, PicturesAreStreamed) {
    TempDir dir;
    std::mt19937 random(1);
    const std::string board = dir.write(
        "big.txt",
        formatProblemLine(testing::randomSolvableBoard(random, 123, 123, 123 * 123 / 4, 4)) + "\n");
#ifdef __SANITIZE_ADDRESS__
    const std::string cpuBound = "ulimit -t 30; ";
#else
    const std::string cpuBound = "ulimit -t 3; ";
#endif
    const auto result = runCommand(
        "/bin/sh", {"-c",
                    "{ " + cpuBound +
                        "\"$0\" --pictures --time-limit 0 \"$1\"; echo \"status $?\" >&2; } "
                        "| head -c 65536 | wc -c",
                    EXPLAIN, board});
    EXPECT_EQ(result.out, "65536\n");
    EXPECT_EQ(result.err, "status 141\n");  // 128 + SIGPIPE, not a CPU limit's kill
}

TEST(ExplainProgram, UnreadableInputIsNamedAndSkipped) {
    TempDir dir;
    const std::string lines =
        dir.write("mixed.txt", "3x1m2:1a1\nnot a problem\n3x1m3:1a1\n\n1/1/3/1.1/\n");
    const std::string damaged =
        dir.write("damaged.sav",
                  "SAVEFILE:41:Simon Tatham's Portable Puzzle Collection\nVERSION :1:1\n"
                  "GAME    :8:Dominosa\n");

    const auto result = runCommand(EXPLAIN, {lines, damaged, dir.path() + "/missing"});
    EXPECT_TRUE(has(result.out, lines + ":1: 3x1, 2 islands, level ")) << result.out;
    EXPECT_TRUE(has(result.out, lines + ":5: 3x1, 2 islands, level ")) << result.out;
    EXPECT_EQ(result.err,
              "spanwright-explain: " + lines +
                  ":2: not a problem line: the line ends before its header "
                  "(difficulty/height/width/) is complete\n"
                  "spanwright-explain: " +
                  lines +
                  ":3: not a game ID: bridge limit m3; the rules here allow 1 or 2 bridges "
                  "between two islands (m2)\n"
                  "spanwright-explain: " +
                  damaged + ":3: a saved game of 'Dominosa', not of Bridges\n" +
                  "spanwright-explain: " + dir.path() +
                  "/missing: cannot open: No such file or directory\n");
    EXPECT_EQ(result.status, 1);

    const struct {
        std::vector<std::string> args;
        int status;
    } usage[] = {{{"--frobnicate"}, 2},
                 {{"--json", "--pictures"}, 2},
                 {{"--time-limit", "-1"}, 2},
                 {{"--help"}, 0},
                 {{}, 0}};
    for (const auto& c : usage)
        EXPECT_EQ(runCommand(EXPLAIN, c.args).status, c.status) << c.args.size();
    EXPECT_EQ(runCommand(EXPLAIN, {"--version"}).out, "spanwright-explain 1.0.0\n");
    const auto piped = runCommand("/bin/sh", {"-c", EXPLAIN + " --hint - < " + PEER + "right.sav"});
    EXPECT_EQ(piped.out.substr(0, 4), "-:6:") << piped.err;
}

}  // namespace
}  // namespace spanwright
