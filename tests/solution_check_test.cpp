#include "tests/support/solution_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "puzzle/problem_line.h"

namespace spanwright::testing {
namespace {

// A solution with single and double bridges in both directions, a vertical run of two
// cells and islands on the edges of the board.
constexpr const char* kSolved = R"(
    2=5-1
    ..H..
    ..5=2
    ..|..
    1-2..
)";

TEST(CheckSolution, AcceptsAValidSolution) {
    Puzzle puzzle = puzzleFromPicture(kSolved);
    std::vector<std::uint8_t> board = boardFromPicture(kSolved);
    EXPECT_EQ(checkSolution(puzzle, board.data()), "") << drawBoard(puzzle, board.data());
}

struct Fault {
    const char* name;
    const char* puzzle;  ///< picture of the puzzle; the board's own islands when null
    const char* board;
    const char* reason;  ///< a part of the expected message
};

const Fault kFaults[] = {
    {"TooManyEnds", "2.5.1/...../..5.1/...../1.2..", "2=5-1/..H../..5=2/..|../1-2..",
     "island (2, 4) has 2 bridge ends but shows 1"},
    {"TooFewEnds", "2.5.1/...../..5.3/...../1.2..", "2=5-1/..H../..5=2/..|../1-2..",
     "island (2, 4) has 2 bridge ends but shows 3"},
    {"Crossing", nullptr, "..1../..|../1-|-1/..|../..1..",
     "single horizontal bridge at (2, 1) runs into a single vertical bridge on its right"},
    {"EndsInWater", nullptr, "2=5-1/..H../..5=2/..|../1-2-.",
     "single horizontal bridge at (4, 3) runs into water on its right"},
    {"TurnsACorner", nullptr, "1--/..|/..1", "(0, 2) runs into water on its right"},
    {"MixedRun", nullptr, "2-=2", "single horizontal bridge at (0, 1) runs into a double"},
    {"Disconnected", nullptr, "1-1/.../1-1", "is not joined"},
    {"CoveredIsland", "2.5.1/...../..5.2/...../1.2..", "2=5-1/..H../..5=2/..|../---..",
     "island (4, 0) is covered by a single horizontal bridge"},
    {"IslandInWater", "2.5.1/...../..5.2/...../..2..", "2=5-1/..H../..5=2/..|../1-2..",
     "an island stands at (4, 0)"},
};

class CheckSolutionFault : public ::testing::TestWithParam<Fault> {};

/// Pictures in the table use "/" between rows to stay on one line.
std::string rowsOf(const char* picture) {
    std::string text = picture;
    for (char& c : text)
        if (c == '/') c = '\n';
    return text;
}

TEST_P(CheckSolutionFault, IsRejected) {
    const Fault& fault = GetParam();
    std::string boardPicture = rowsOf(fault.board);
    Puzzle puzzle = puzzleFromPicture(fault.puzzle ? rowsOf(fault.puzzle) : boardPicture);
    std::vector<std::uint8_t> board = boardFromPicture(boardPicture);
    EXPECT_NE(checkSolution(puzzle, board.data()).find(fault.reason), std::string::npos)
        << "message: " << checkSolution(puzzle, board.data()) << "\n"
        << drawBoard(puzzle, board.data());
}

std::string faultName(const ::testing::TestParamInfo<Fault>& fault) {
    return fault.param.name;
}

INSTANTIATE_TEST_SUITE_P(Boards, CheckSolutionFault, ::testing::ValuesIn(kFaults), faultName);

// Faults a drawing cannot show: codes the solver could leave in its plane.
TEST(CheckSolution, RejectsBadCodes) {
    Puzzle puzzle = puzzleFromPicture(kSolved);
    const std::vector<std::uint8_t> solved = boardFromPicture(kSolved);
    const int width = puzzle.width + 2;

    std::vector<std::uint8_t> board = solved;
    board[1 * width + 1] = ISLAND_BASE + 1;  // the "2" at the top left
    EXPECT_EQ(checkSolution(puzzle, board.data()), "island (0, 0) is marked incomplete (code 6)");

    board = solved;
    board[2 * width + 1] = ISLAND_BASE + 9;
    EXPECT_EQ(checkSolution(puzzle, board.data()), "cell (1, 0) holds unknown code 14");

    for (int border : {0, width - 1, 3 * width, 4 * width - 1, int(board.size()) - 2}) {
        board = solved;
        board[border] = kHorizontalSingle;
        EXPECT_NE(checkSolution(puzzle, board.data()).find("border cell"), std::string::npos)
            << "border cell " << border;
    }
}

TEST(CountSolutions, SmallBoards) {
    struct Case {
        const char* line;
        int solutions;
    } cases[] = {
        {"1/1/3/2.2/", 1},
        {"1/1/3/1.2/", 0},
        {"1/3/3/3.3/.../3.3/", 2},
        {"2/4/5/2.3.1/...../2.4.2/1...1/", 0},
        {"1/3/1/2/./2/", 1},                          // vertical pair
        {"1/1/2/11/", 0},                             // neighbours cannot be bridged
        {"1/1/5/1.2.1/", 1},                          // a chain through the middle island
        {"1/1/5/2.1.1/", 0},                          // the middle island blocks the way on
        {"1/3/3/1.1/.../1.1/", 0},                    // two pairs that cannot meet
        {"1/5/5/..2.2/...../1...2/...../..1../", 0},  // the 1s' only bridges would cross
        {"1/1/1/1/", 0},                              // a lone island has nobody to bridge to
        {"1/3/3/2.2/.../2.2/", 1},                    // doubles would split the ring into pairs
    };
    for (const Case& c : cases)
        EXPECT_EQ(countSolutions(puzzleFromLine(c.line), 10), c.solutions) << c.line;
}

TEST(CountSolutions, StopsAtTheLimit) {
    // Nine islands in a lattice share their bridges in many ways.
    Puzzle puzzle = puzzleFromLine("1/5/5/2.3.2/...../3.4.3/...../2.3.2/");
    int all = countSolutions(puzzle, 1000);
    ASSERT_GT(all, 2);
    EXPECT_EQ(countSolutions(puzzle, 2), 2);
    EXPECT_EQ(countSolutions(puzzle, 0), 0);
}

TEST(CountSolutions, GeneratedProblemsAreUnique) {
    std::ifstream file(SPANWRIGHT_TEST_DATA "/problems.txt");
    ASSERT_TRUE(file) << "cannot open problems.txt";
    std::string line;
    int lines = 0;
    for (; lines < 21 && std::getline(file, line); ++lines) {
        Puzzle puzzle = puzzleFromLine(line);
        EXPECT_EQ(countSolutions(puzzle, 2), 1) << line;
        std::vector<std::uint8_t> solution = solveExhaustively(puzzle);
        ASSERT_FALSE(solution.empty()) << line;
        EXPECT_EQ(checkSolution(puzzle, solution.data()), "") << line << "\n"
                                                              << drawBoard(puzzle, solution.data());
    }
    EXPECT_EQ(lines, 21);
}

TEST(SolveExhaustively, GivesTheSolutionAsABorderedPlane) {
    ASSERT_EQ(countSolutions(puzzleFromPicture(kSolved), 2), 1);
    EXPECT_EQ(solveExhaustively(puzzleFromPicture(kSolved)), boardFromPicture(kSolved));
    EXPECT_TRUE(solveExhaustively(puzzleFromLine("1/1/3/1.2/")).empty());
}

/// Whether islands facing each other across water link all `islands` (cells of a
/// width x height board); layouts that cannot be joined only ever have the answer 0.
bool mayConnect(int width, int height, const std::vector<int>& islands) {
    if (islands.size() < 2) return false;
    std::vector<int> group(std::size_t(width * height), -1);
    for (int cell : islands)
        group[cell] = cell;
    auto root = [&](int cell) {
        while (group[cell] != cell)
            cell = group[cell];
        return cell;
    };
    for (int cell : islands) {
        const int row = cell / width;
        const int column = cell % width;
        int right = column + 1;
        while (right < width && group[row * width + right] < 0)
            ++right;
        if (right < width && right > column + 1) group[root(row * width + right)] = root(cell);
        int down = row + 1;
        while (down < height && group[down * width + column] < 0)
            ++down;
        if (down < height && down > row + 1) group[root(down * width + column)] = root(cell);
    }
    for (int cell : islands)
        if (root(cell) != root(islands.front())) return false;
    return true;
}

/// The island mask of a layout flipped left to right and/or top to bottom.
int mirrored(int mask, int width, int height, bool acrossRows, bool acrossColumns) {
    int flipped = 0;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            if (mask >> (r * width + c) & 1)
                flipped |= 1 << ((acrossColumns ? height - 1 - r : r) * width +
                                 (acrossRows ? width - 1 - c : c));
    return flipped;
}

/// Fills the water cells of `plane` in every possible way, counting for each numbering
/// of the islands the fillings the checker accepts as its solutions. The numbers come
/// from the plain count of bridge codes pointing at each island.
std::map<std::vector<int>, int> acceptedFillings(Puzzle& puzzle, std::vector<std::uint8_t>& plane,
                                                 const std::vector<int>& islands,
                                                 const std::vector<int>& water) {
    const int stride = puzzle.width + 2;
    auto planeIndex = [&](int cell) {
        return (cell / puzzle.width + 1) * stride + cell % puzzle.width + 1;
    };
    auto weight = [](std::uint8_t code, bool horizontal) {
        if (horizontal) return code == 1 ? 1 : code == 2 ? 2 : 0;
        return code == 3 ? 1 : code == 4 ? 2 : 0;
    };
    std::map<std::vector<int>, int> solutionsOf;
    std::vector<int> ends(islands.size());
    std::vector<int> codes(water.size(), 0);
    while (true) {
        for (std::size_t w = 0; w < water.size(); ++w)
            plane[planeIndex(water[w])] = std::uint8_t(codes[w]);
        bool numbered = true;
        for (std::size_t i = 0; i < islands.size(); ++i) {
            int at = planeIndex(islands[i]);
            ends[i] = weight(plane[at - 1], true) + weight(plane[at + 1], true) +
                      weight(plane[at - stride], false) + weight(plane[at + stride], false);
            numbered = numbered && ends[i] >= 1;
        }
        if (numbered) {
            for (std::size_t i = 0; i < islands.size(); ++i)
                puzzle.cells[islands[i]] = std::uint8_t(ISLAND_BASE + ends[i]);
            if (checkSolution(puzzle, plane.data()).empty()) ++solutionsOf[ends];
        }
        std::size_t w = 0;
        while (w < codes.size() && ++codes[w] == 5)
            codes[w++] = 0;
        if (w == codes.size()) return solutionsOf;
    }
}

// The search and the checker are cross-checked on every layout of 3 x 3 and 4 x 3 boards,
// mirror images aside, whose islands can be joined and whose water is small enough: every way of
// filling the water with the five codes is judged by the checker, and the fillings it accepts per
// numbering of the islands must be exactly the solutions the search counts. A checker
// that accepts too much or too little, or a search that misses or invents solutions,
// shows up as a difference.
TEST(CountSolutions, AgreesWithEnumeratingEveryBoard) {
    std::mt19937 random(20240611);
    int layouts = 0;
    int numberings = 0;
    for (auto [width, height] : {std::pair{3, 3}, std::pair{4, 3}}) {
        for (int mask = 0; mask < 1 << (width * height); ++mask) {
            std::vector<int> islands;
            std::vector<int> water;
            for (int cell = 0; cell < width * height; ++cell)
                (mask >> cell & 1 ? islands : water).push_back(cell);
            if (water.size() > 8 || !mayConnect(width, height, islands)) continue;
            if (mirrored(mask, width, height, true, false) < mask ||
                mirrored(mask, width, height, false, true) < mask ||
                mirrored(mask, width, height, true, true) < mask)
                continue;
            ++layouts;

            Puzzle puzzle;
            puzzle.width = std::int8_t(width);
            puzzle.height = std::int8_t(height);
            puzzle.allocateCells();
            std::vector<std::uint8_t> plane(std::size_t((width + 2) * (height + 2)), 0);
            for (int cell : islands)
                plane[(cell / width + 1) * (width + 2) + cell % width + 1] = ISLAND_BASE;
            std::map<std::vector<int>, int> solutionsOf =
                acceptedFillings(puzzle, plane, islands, water);

            auto number = [&](const std::vector<int>& ends) {
                for (std::size_t i = 0; i < islands.size(); ++i)
                    puzzle.cells[islands[i]] = std::uint8_t(ISLAND_BASE + ends[i]);
            };
            for (const auto& [ends, solutions] : solutionsOf) {
                number(ends);
                ASSERT_EQ(countSolutions(puzzle, 1000), solutions) << formatProblemLine(puzzle);
                ++numberings;
            }
            // Numberings no filling gave must have no solution either.
            for (int attempt = 0; attempt < 20; ++attempt) {
                std::vector<int> ends;
                for (std::size_t i = 0; i < islands.size(); ++i)
                    ends.push_back(1 + int(random() % 4));
                if (solutionsOf.count(ends)) continue;
                number(ends);
                ASSERT_EQ(countSolutions(puzzle, 1000), 0) << formatProblemLine(puzzle);
            }
        }
    }
    // Guards the enumeration itself against finding nothing to compare.
    EXPECT_GT(layouts, 5);
    EXPECT_GT(numberings, 50);
}

TEST(Pictures, MatchProblemLines) {
    Puzzle fromPicture = puzzleFromPicture(R"(

        2.3.1
        .....
        2.4.2
        1...1
    )",
                                           2);
    Puzzle fromLine = puzzleFromLine("2/4/5/2.3.1/...../2.4.2/1...1/");
    ASSERT_EQ(fromPicture.width, fromLine.width);
    ASSERT_EQ(fromPicture.height, fromLine.height);
    EXPECT_EQ(fromPicture.difficulty, fromLine.difficulty);
    EXPECT_EQ(std::vector<std::uint8_t>(fromPicture.cells.get(),
                                        fromPicture.cells.get() + fromPicture.cellCount()),
              std::vector<std::uint8_t>(fromLine.cells.get(),
                                        fromLine.cells.get() + fromLine.cellCount()));
    EXPECT_THROW(puzzleFromPicture("1.1\n1."), std::invalid_argument);
    EXPECT_THROW(puzzleFromPicture("\n  \n"), std::invalid_argument);
    EXPECT_THROW(boardFromPicture("1+1"), std::invalid_argument);
    EXPECT_THROW(puzzleFromLine("1/0/3/"), std::invalid_argument);
}

}  // namespace
}  // namespace spanwright::testing
