// The forms puzzles travel in between this system and other programs: links and
// pencil-box files of the puzz.link editor, benchmark files, and the CNF any SAT solver
// takes. Boards must come back whole, real links must read to the boards they show, and
// an independent SAT solver must reach the verdicts an exhaustive count reaches.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "exact/cnf.h"
#include "exact/exact_solver.h"
#include "puzzle/benchmark_text.h"
#include "puzzle/pencil_box.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_link.h"
#include "tests/support/random_board.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

bool sameBoard(const Puzzle& a, const Puzzle& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int i = 0; i < a.cellCount(); ++i)
        if (a.cells[i] != b.cells[i]) return false;
    return true;
}

/// Boards of many sizes, sparse ones among them for long runs of water.
std::vector<Puzzle> generatedBoards(int count) {
    std::mt19937 random(2024);
    std::vector<Puzzle> boards;
    for (int k = 0; k < count; ++k) {
        const int width = 1 + int(random() % 40);
        const int height = 1 + int(random() % 30);
        const int islands = 1 + int(random() % (width * height / 3 + 1));
        boards.push_back(testing::randomSolvableBoard(random, width, height, islands, 30));
    }
    return boards;
}

TEST(Interchange, LinkPencilBoxAndBenchmarkRoundTrips) {
    for (const Puzzle& board : generatedBoards(150)) {
        const std::string line = formatProblemLine(board);
        Puzzle fromLink;
        std::string err;
        const std::string link = formatPuzzleLink(board);
        ASSERT_TRUE(parsePuzzleLink(fromLink, link, &err)) << link << ": " << err;
        EXPECT_TRUE(sameBoard(board, fromLink)) << line << link;

        std::vector<PencilBoxPuzzle> fromBox;
        int errLine = 0;
        const std::string box = formatPencilBox(board, nullptr);
        // Two in one text, as convert writes them, read back one after the other.
        ASSERT_TRUE(parsePencilBox(box + "\n" + box, fromBox, &errLine, &err)) << box << err;
        ASSERT_EQ(fromBox.size(), 2u) << box;
        EXPECT_TRUE(sameBoard(board, fromBox[1].puzzle)) << line << box;
        EXPECT_EQ(fromBox[1].line, 2 + 2 * board.height + 2);

        Puzzle fromHas;
        ASSERT_TRUE(parseBenchmarkText(fromHas, formatBenchmarkText(board), &errLine, &err)) << err;
        EXPECT_TRUE(sameBoard(board, fromHas)) << line;
    }
}

TEST(Interchange, RealEditorLinksReadToTheirBoards) {
    const struct {
        const char* link;
        int width, height, islands, unknown;
        std::vector<std::pair<int, int>> cells;  // (cell, value 1..9; 9 for unknown)
    } cases[] = {
        // The editor's own example, the board of its test script.
        {"https://puzz.link/p?hashikake/5/5/4g2i3h23k3g1g3g4g3",
         5,
         5,
         10,
         0,
         {{0, 4}, {2, 2}, {6, 3}, {9, 2}, {24, 3}}},
        // The kind by its other names, islands without numbers, another host.
        {"http://pzv.jp/p.html?hashi/9/9/h2g3g.q.g1i3g.o2i1i2o.g2i2g1q.g3g3h",
         9,
         9,
         17,
         5,
         {{2, 2}, {6, 9}, {18, 9}, {20, 1}, {78, 3}}},
        {"puzz.link/p?bridges/17/13/"
         "l2h1w2i3h2i3zi1h3p1g2k2g1h3r1k4g4h4h4i3h2u1g2l1g3n1g3y1j.g3g3g3h3r2j.h3g.g2",
         17,
         13,
         37,
         3,
         {{6, 2}, {9, 1}, {186, 9}, {213, 9}, {218, 9}}},
        // A large board with runs of 20 and more.
        {"?hashi/41/19/v3k6k3zzzk2i3g2o3i4zzw3i3g1m3k1i3g2zzs3g3i3k4s2g3g4zzzm3k2m3g2zzk3i5i1g3k2"
         "s3i2g3g4zzg4g3g1s4i3u3g5zzi2i2g2k1s3k1zzy1k4k1s1zzi2g1i2g4k4i4k4i6k4k4",
         41,
         19,
         62,
         0,
         {{16, 3}, {22, 6}, {28, 3}, {94, 2}, {778, 4}}},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        std::string err;
        ASSERT_TRUE(parsePuzzleLink(puzzle, c.link, &err)) << c.link << ": " << err;
        EXPECT_EQ(puzzle.width, c.width) << c.link;
        EXPECT_EQ(puzzle.height, c.height) << c.link;
        int islands = 0;
        int unknown = 0;
        for (int i = 0; i < puzzle.cellCount(); ++i) {
            islands += puzzle.cells[i] != 0;
            unknown += puzzle.cells[i] == UNKNOWN_ISLAND;
        }
        EXPECT_EQ(islands, c.islands) << c.link;
        EXPECT_EQ(unknown, c.unknown) << c.link;
        for (const auto& [cell, value] : c.cells)
            EXPECT_EQ(puzzle.cells[cell], value == 9 ? UNKNOWN_ISLAND : ISLAND_BASE + value)
                << c.link << " cell " << cell;
    }
}

TEST(Interchange, BrokenLinksAndPencilBoxesSayWhy) {
    const std::pair<const char*, const char*> links[] = {
        {"https://example.com/p?hashikake/3/1/1g1", "is not a puzz.link or pzv.jp page"},
        {"https://puzz.link/p?nurikabe/3/1/1g1", "'nurikabe' puzzle, not a bridge puzzle"},
        {"https://puzz.link/p?hashikake/3/1/1g9", "needs 9 bridges"},
        {"https://puzz.link/p?hashikake/3/1/1g0", "needs 0 bridges"},
        {"https://puzz.link/p?hashikake/3/1/1g-1", "is cut short"},
        {"https://puzz.link/p?hashikake/3/1/1g+10", "is cut short"},
        {"https://puzz.link/p?hashikake/3/1/1g", "covers 2 of the 3 cells"},
        {"https://puzz.link/p?hashikake/3/1/1g1g", "goes on past the last cell"},
        {"https://puzz.link/p?hashikake/3/1/1i", "goes past the last cell"},
        {"https://puzz.link/p?hashikake/3/1/1G1", "unexpected 'G'"},
        {"https://puzz.link/p?hashikake/126/1/1", "sides run from 1 to 125"},
        {"https://puzz.link/p?hashikake", "sides run from 1 to 125"},
    };
    for (const auto& [link, reason] : links) {
        Puzzle puzzle;
        std::string err;
        EXPECT_FALSE(parsePuzzleLink(puzzle, link, &err)) << link;
        EXPECT_NE(err.find(reason), std::string::npos) << link << ": " << err;
    }
    const struct {
        const char* text;
        int line;
        const char* reason;
    } boxes[] = {
        {"2\n3\n1 . 1\n1 .\n", 4, "row 2 has 2 cells, not 3"},
        {"1\n3\n1 x 1\n", 3, "the cell 'x' in column 2"},
        {"2\n3\n1 . 1\n", 3, "ends after 1 of the 2 rows"},
        {"1\n3\n1 . 1\n0 16 0\n", 4, "outside 0 to 15"},
        {"0\n3\n", 1, "sides run from 1 to 125"},
        {"\n\n", 1, "holds no puzzle"},
    };
    for (const auto& c : boxes) {
        std::vector<PencilBoxPuzzle> puzzles;
        int line = 0;
        std::string err;
        EXPECT_FALSE(parsePencilBox(c.text, puzzles, &line, &err)) << c.text;
        EXPECT_EQ(line, c.line) << c.text << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.text << ": " << err;
    }
}

TEST(Interchange, PencilBoxAnswerIsTheSolutionCellByCell) {
    // The editor's example, written as it writes files ("/" for line ends), and its
    // solution worked out by hand: down 1 or 2 through a cell, across 4 or 8.
    std::vector<PencilBoxPuzzle> read;
    int line = 0;
    std::string err;
    ASSERT_TRUE(parsePencilBox("5/5/4 . 2 . . /. 3 . . 2 /3 . . . . /. 3 . 1 . /3 . 4 . 3 /", read,
                               &line, &err))
        << err;
    ASSERT_EQ(read.size(), 1u);
    const Solution solution = {{0, 0, 0, 2, 2}, {0, 0, 2, 0, 2}, {1, 1, 1, 4, 1},
                               {1, 1, 3, 1, 2}, {1, 4, 4, 4, 1}, {2, 0, 4, 0, 1},
                               {3, 1, 3, 3, 1}, {4, 0, 4, 2, 2}, {4, 2, 4, 4, 2}};
    EXPECT_EQ(formatPencilBox(read[0].puzzle, &solution),
              "5\n5\n4 . 2 . . \n. 3 . . 2 \n3 . . . . \n. 3 . 1 . \n3 . 4 . 3 \n"
              "0 8 0 0 0 \n2 0 4 4 0 \n0 2 0 0 1 \n1 0 4 0 1 \n0 8 0 8 0 \n");
}

/// Runs picosat on `cnf`: true when it finds a model, whose values go into `model`
/// (index = variable). Fails the test when picosat cannot be run.
bool runPicosat(const std::string& path, std::vector<int>& model) {
    std::FILE* pipe = popen(("picosat '" + path + "'").c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run picosat";
        return false;
    }
    std::string out;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, got);
    pclose(pipe);
    std::istringstream lines(out);
    std::string line;
    bool satisfiable = false;
    model.assign(1, 0);
    while (std::getline(lines, line)) {
        if (line == "s SATISFIABLE") satisfiable = true;
        if (line.rfind("v ", 0) != 0) continue;
        std::istringstream values(line.substr(2));
        for (int value; values >> value && value != 0;) {
            const int variable = value > 0 ? value : -value;
            if (int(model.size()) <= variable) model.resize(std::size_t(variable) + 1, 0);
            model[std::size_t(variable)] = value > 0 ? 1 : -1;
        }
    }
    return satisfiable;
}

/// The links of a CNF's header: the two variables and the two islands of each.
struct HeaderLink {
    int one = 0, two = 0, row1 = 0, column1 = 0, row2 = 0, column2 = 0;
};

std::vector<HeaderLink> headerLinks(const std::string& cnf) {
    std::vector<HeaderLink> links;
    std::istringstream lines(cnf);
    std::string line;
    while (std::getline(lines, line)) {
        HeaderLink l;
        int index = 0;
        if (std::sscanf(line.c_str(), "c link %d: %d %d (%d,%d)-(%d,%d)", &index, &l.one, &l.two,
                        &l.row1, &l.column1, &l.row2, &l.column2) == 7)
            links.push_back(l);
    }
    return links;
}

/// The model's bridges as a bordered plane, read through the header alone.
std::vector<std::uint8_t> planeOfModel(const Puzzle& puzzle, const std::vector<HeaderLink>& links,
                                       const std::vector<int>& model) {
    const int stride = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(stride * (puzzle.height + 2)), 0);
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c)
            if (puzzle.cells[r * puzzle.width + c] != 0)
                plane[std::size_t((r + 1) * stride + c + 1)] = ISLAND_BASE;
    for (const HeaderLink& l : links) {
        const int bridges = (model[std::size_t(l.one)] > 0) + (model[std::size_t(l.two)] > 0);
        if (bridges == 0) continue;
        const bool across = l.row1 == l.row2;
        const std::uint8_t code =
            across ? (bridges == 2 ? testing::kHorizontalDouble : testing::kHorizontalSingle)
                   : (bridges == 2 ? testing::kVerticalDouble : testing::kVerticalSingle);
        for (int r = l.row1, c = l.column1;;) {
            across ? ++c : ++r;
            if (r == l.row2 && c == l.column2) break;
            plane[std::size_t((r + 1) * stride + c + 1)] = code;
        }
    }
    return plane;
}

TEST(Interchange, CnfVerdictsOfPicosatMatchAnExhaustiveCount) {
    if (std::system("picosat --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no picosat";
    char path[] = "/tmp/spanwright-cnf-XXXXXX";
    const int descriptor = mkstemp(path);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    std::mt19937 random(77);
    int verdicts[3] = {0, 0, 0};
    for (int k = 0; k < 240; ++k) {
        const int width = 3 + int(random() % 4);
        const int height = 3 + int(random() % 4);
        Puzzle puzzle =
            testing::randomSolvableBoard(random, width, height, 3 + int(random() % 8), 5);
        if (k % 3 == 0) testing::nudgeIsland(random, puzzle);
        // A board without islands is no puzzle here: no solution, where a count finds the
        // empty one.
        const bool empty = std::all_of(puzzle.cells.get(), puzzle.cells.get() + puzzle.cellCount(),
                                       [](std::uint8_t cell) { return cell == 0; });
        const int count = empty ? 0 : testing::countSolutions(puzzle, 2);
        ++verdicts[count];
        std::string cnf = exact::cnfText(puzzle);
        const std::vector<HeaderLink> links = headerLinks(cnf);
        std::vector<int> model;
        const auto solve = [&] {
            std::FILE* file = std::fopen(path, "w");
            std::fwrite(cnf.data(), 1, cnf.size(), file);
            std::fclose(file);
            return runPicosat(path, model);
        };
        const std::string line = formatProblemLine(puzzle);
        ASSERT_EQ(solve(), count > 0) << line;
        if (count == 0) continue;
        const std::vector<std::uint8_t> plane = planeOfModel(puzzle, links, model);
        EXPECT_EQ(testing::checkSolution(puzzle, plane.data()), "") << line;
        // One clause that forbids the first model's bridges; the header's count of clauses
        // grows by one with it.
        std::string block;
        for (const HeaderLink& l : links)
            for (const int variable : {l.one, l.two})
                block +=
                    std::to_string(model[std::size_t(variable)] > 0 ? -variable : variable) + " ";
        const std::size_t header = cnf.find("p cnf ");
        const std::size_t end = cnf.find('\n', header);
        int variables = 0;
        int clauses = 0;
        std::sscanf(cnf.c_str() + header, "p cnf %d %d", &variables, &clauses);
        cnf.replace(header, end - header,
                    "p cnf " + std::to_string(variables) + " " + std::to_string(clauses + 1));
        cnf += block + "0\n";
        EXPECT_EQ(solve(), count > 1) << line;
    }
    std::remove(path);
    // All three verdicts must be among the boards, or the test proves less than it says.
    EXPECT_GE(verdicts[0], 10);
    EXPECT_GE(verdicts[1], 10);
    EXPECT_GE(verdicts[2], 10);
}

// An island whose number is not given takes any number from 1 to 8, so its puzzle has as
// many solutions as the puzzles with each number have together.
TEST(Interchange, UnknownIslandsCountAsEveryNumberTogether) {
    std::mt19937 random(31);
    int verdicts[3] = {0, 0, 0};
    for (int k = 0; k < 160; ++k) {
        Puzzle puzzle = testing::randomSolvableBoard(
            random, 3 + int(random() % 3), 3 + int(random() % 3), 3 + int(random() % 5), 4);
        std::vector<int> islands;
        for (int i = 0; i < puzzle.cellCount(); ++i)
            if (puzzle.cells[i] != 0) islands.push_back(i);
        if (islands.size() < 2) continue;
        const int cell = islands[random() % islands.size()];
        int count = 0;
        for (int number = 1; number <= 8 && count < 2; ++number) {
            puzzle.cells[cell] = std::uint8_t(ISLAND_BASE + number);
            count += testing::countSolutions(puzzle, 2 - count);
        }
        puzzle.cells[cell] = UNKNOWN_ISLAND;
        ++verdicts[count];
        const exact::ExactResult result = exact::solveExactly(puzzle);
        const exact::Verdict expected = count == 0   ? exact::Verdict::None
                                        : count == 1 ? exact::Verdict::Unique
                                                     : exact::Verdict::Multiple;
        EXPECT_EQ(result.verdict, expected) << formatPuzzleLink(puzzle);
    }
    EXPECT_GE(verdicts[1], 5);
    EXPECT_GE(verdicts[2], 5);
}

}  // namespace
}  // namespace spanwright
