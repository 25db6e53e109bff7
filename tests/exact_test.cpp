// The exact verdicts against the exhaustive counter, every solution against the
// independent checker, and the boards that show what each rule of the model is for.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "exact/counting.h"
#include "exact/exact_solver.h"
#include "exact/none_reason.h"
#include "exact/reasoning.h"
#include "puzzle/problem_line.h"
#include "solver/solve.h"
#include "tests/support/board_picture.h"
#include "tests/support/random_board.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using exact::Verdict;

/// A solution as the checker's bordered plane.
std::vector<std::uint8_t> planeOf(const Puzzle& puzzle, const exact::Solution& solution) {
    const int w = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(w * (puzzle.height + 2)), 0);
    for (int i = 0; i < puzzle.cellCount(); ++i)
        if (puzzle.cells[i] != 0) plane[(i / puzzle.width + 1) * w + i % puzzle.width + 1] = 5;
    for (const exact::Bridge& b : solution) {
        const bool across = b.row1 == b.row2;
        const std::uint8_t code = std::uint8_t((across ? 0 : 2) + b.bridges);
        for (int r = b.row1 + !across, c = b.column1 + across; r < b.row2 || c < b.column2;
             r += !across, c += across)
            plane[(r + 1) * w + c + 1] = code;
    }
    return plane;
}

Verdict verdictOfCount(int count) {
    return count == 0 ? Verdict::None : count == 1 ? Verdict::Unique : Verdict::Multiple;
}

void expectSound(const Puzzle& puzzle, const exact::ExactResult& result) {
    for (const exact::Solution& solution : result.solutions) {
        EXPECT_EQ(testing::checkSolution(puzzle, planeOf(puzzle, solution).data()), "")
            << testing::drawBoard(puzzle, planeOf(puzzle, solution).data());
    }
    if (result.solutions.size() == 2) {
        EXPECT_TRUE(exact::firstDifference(result.solutions[0], result.solutions[1]));
    }
}

TEST(ExactSolver, AgreesWithTheExhaustiveCounterOnRandomBoards) {
    std::mt19937 random(1313);
    int seen[3] = {0, 0, 0};
    for (int i = 0; i < 400; ++i) {
        const int side = 3 + i % 5;
        Puzzle puzzle = testing::randomSolvableBoard(random, side, side, side * side / 3, 3);
        if (i % 3 == 2) testing::nudgeIsland(random, puzzle);
        SCOPED_TRACE(formatProblemLine(puzzle));

        const exact::ExactResult result = exact::solveExactly(puzzle);

        const int islands =
            int(std::count_if(puzzle.cells.get(), puzzle.cells.get() + puzzle.cellCount(),
                              [](std::uint8_t c) { return c != 0; }));
        // The counter takes a board without islands as solved; this system does not.
        const Verdict expected =
            islands == 0 ? Verdict::None : verdictOfCount(testing::countSolutions(puzzle, 2));
        EXPECT_EQ(result.verdict, expected);
        EXPECT_EQ(result.solutions.size(), std::size_t(expected == Verdict::None     ? 0
                                                       : expected == Verdict::Unique ? 1
                                                                                     : 2));
        expectSound(puzzle, result);
        ++seen[int(result.verdict)];
    }
    for (const int count : seen)
        EXPECT_GT(count, 20);
}

/// Two random solvable boards side by side, the second shifted down so that at most a row
/// or two face each other, sometimes one bridge added across, sometimes an island of each
/// raised: boards whose graph of possible lines falls apart, hangs on one line or has
/// parts of odd total, where the reasoning before the search has work.
Puzzle boardOfTwoParts(std::mt19937& random) {
    const int a = 3 + int(random() % 4);
    const int b = 3 + int(random() % 4);
    const int shift = a - 1 - int(random() % 2);
    const int gap = 1 + int(random() % 2);
    Puzzle left = testing::randomSolvableBoard(random, a, a, a * a / 4, 4);
    Puzzle right = testing::randomSolvableBoard(random, b, b, b * b / 4, 4);
    if (random() % 2) {
        testing::nudgeIsland(random, left);
        testing::nudgeIsland(random, right);
    }
    Puzzle board;
    board.width = std::int8_t(a + gap + b);
    board.height = std::int8_t(std::max(a, shift + b));
    board.allocateCells();
    std::fill(board.cells.get(), board.cells.get() + board.cellCount(), std::uint8_t(0));
    for (int i = 0; i < a * a; ++i)
        board.cells[i / a * board.width + i % a] = left.cells[i];
    for (int i = 0; i < b * b; ++i)
        board.cells[(i / b + shift) * board.width + a + gap + i % b] = right.cells[i];
    const int row = shift + int(random() % unsigned(std::max(1, a - shift)));
    int l = a - 1;
    while (l >= 0 && board.cells[row * board.width + l] == 0)
        --l;
    int r = a + gap;
    while (r < board.width && board.cells[row * board.width + r] == 0)
        ++r;
    std::uint8_t* ends[] = {&board.cells[row * board.width + std::max(l, 0)],
                            &board.cells[row * board.width + std::min(r, board.width - 1)]};
    if (l >= 0 && r < board.width && *ends[0] < ISLAND_BASE + 8 && *ends[1] < ISLAND_BASE + 8 &&
        random() % 2) {
        ++*ends[0];
        ++*ends[1];
    }
    return board;
}

TEST(ExactSolver, MatchesTheCounterOnBoardsOfTwoParts) {
    std::mt19937 random(2424);
    exact::ReasoningCounts fired;
    for (int i = 0; i < 3000; ++i) {
        const Puzzle puzzle = boardOfTwoParts(random);
        if (std::all_of(puzzle.cells.get(), puzzle.cells.get() + puzzle.cellCount(),
                        [](std::uint8_t c) { return c == 0; }))
            continue;
        SCOPED_TRACE(formatProblemLine(puzzle));
        const exact::ExactResult result = exact::solveExactly(puzzle);
        EXPECT_EQ(result.verdict, verdictOfCount(testing::countSolutions(puzzle, 2)));
        expectSound(puzzle, result);
        const exact::Reasoning reasoning = exact::reasonAboutLines(exact::BridgeModel(puzzle));
        fired.disconnected += reasoning.fired.disconnected;
        fired.cutLines += reasoning.fired.cutLines;
        fired.parity += reasoning.fired.parity;
        fired.oddParts += reasoning.fired.oddParts;
    }
    // The set is worth running only while every rule of the graph meets a case.
    EXPECT_GT(fired.disconnected, 100);
    EXPECT_GT(fired.cutLines, 0);
    EXPECT_GT(fired.parity, 0);
    EXPECT_GT(fired.oddParts, 0);
}

// Boards of tools/hard_families.py that the search alone took minutes over at side 14:
// the reasoning settles them before it.
TEST(ExactSolver, SettlesTheLatticeFamiliesWithoutSearching) {
    std::ifstream file(std::string(SPANWRIGHT_TEST_DATA) + "/hard_families.txt");
    int boards = 0;
    for (std::string line; std::getline(file, line); ++boards) {
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, line));
        const exact::ExactResult result = exact::solveExactly(puzzle);
        EXPECT_EQ(result.verdict, Verdict::None) << line;
        EXPECT_EQ(result.counters.solverCalls, 0) << line;
    }
    EXPECT_EQ(boards, 8);
}

/// Which rule settled a board of the counting families.
enum class Argument { Unmatched, CountedThenCutOff, NoDoubles };

struct FamilyCase {
    const char* family;
    const char* line;  ///< tools/hard_families.py FAMILY 5 (or the side named)
    Verdict verdict;
    Argument argument;
};

const FamilyCase FAMILY_CASES[] = {
    {"square",
     "0/9/13/2.4.2.2.2.2.2/............./2.2.2.2.2..../............./2.2.2.2.2.2.2/"
     "............./2.2.2.2.2..../............./2.2.2.2.2..../",
     Verdict::None, Argument::CountedThenCutOff},
    {"mixed",
     "0/9/13/2.1.3.3.1.2.2/............./4.3.3.6.3..../............./4.4.3.3.2.2.2/"
     "............./2.4.6.3.2..../............./1.3.3.2.1..../",
     Verdict::None, Argument::CountedThenCutOff},
    {"lone",
     "0/9/13/2.4.2.2.2.2../............./2.2.2.2.2..../............./2.2.2.2.2.2../"
     "............./2.2.2.2.2..../............./2.2.2.2.2..../",
     Verdict::None, Argument::Unmatched},
    {"hole",
     "0/9/9/2.4.2.2.2/........./4.2.2.2.2/........./2.2...2.2/........./2.2.2.2.2/"
     "........./2.2.2.2.2/",
     Verdict::None, Argument::Unmatched},
    {"tree (side 6)",
     "0/11/11/2.2.2.2.2.2/.........../1.1.4.3.2.1/.........../1.3.3.1.2.1/.........../"
     "1.3.1.3.3.2/.........../1.1.1.3.2.1/.........../2.2.2.3.3.1/",
     Verdict::Multiple, Argument::NoDoubles},
};

TEST(ExactCounting, SettlesEachFamilyByItsArgument) {
    for (const FamilyCase& c : FAMILY_CASES) {
        SCOPED_TRACE(c.family);
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, c.line));
        const exact::Reasoning reasoning = exact::reasonAboutLines(exact::BridgeModel(puzzle));
        switch (c.argument) {
            case Argument::Unmatched:
                EXPECT_FALSE(reasoning.possible);
                EXPECT_EQ(reasoning.fired.unmatched, 1);
                break;
            case Argument::CountedThenCutOff:
                EXPECT_FALSE(reasoning.possible);
                EXPECT_GT(reasoning.fired.counting, 0);
                EXPECT_EQ(reasoning.fired.disconnected, 1);
                break;
            case Argument::NoDoubles:
                EXPECT_TRUE(reasoning.possible);
                EXPECT_GT(reasoning.fired.spread, 0);
                // The second solution is one move of bridges from the first.
                EXPECT_EQ(exact::solveExactly(puzzle).counters.solverCalls, 1);
                break;
        }
        const exact::ExactResult result = exact::solveExactly(puzzle);
        EXPECT_EQ(result.verdict, c.verdict);
        expectSound(puzzle, result);
        if (c.verdict == Verdict::None) {
            EXPECT_EQ(result.counters.solverCalls, 0);
        }
    }
}

/// The link counts of a solution, per link of the model.
std::vector<int> countsOf(const exact::BridgeModel& model, const Solution& solution) {
    std::vector<int> counts(model.links().size(), 0);
    for (const Bridge& b : solution)
        for (std::size_t l = 0; l < counts.size(); ++l) {
            const exact::Island& first = model.islands()[model.links()[l].first];
            const exact::Island& second = model.islands()[model.links()[l].second];
            if (first.row == b.row1 && first.column == b.column1 && second.row == b.row2 &&
                second.column == b.column2)
                counts[l] = b.bridges;
        }
    return counts;
}

// Boards laid from random bridges, so one solution is known whatever the reasoning says:
// neither the counting alone nor all rules together may rule out a count it uses.
TEST(ExactCounting, NeverRulesOutALineOfAKnownSolution) {
    std::mt19937 random(3535);
    std::int64_t narrowed = 0;
    for (int i = 0; i < 600; ++i) {
        const int side = 4 + i % 9;
        Solution laid;
        const Puzzle puzzle = testing::randomSolvableBoard(
            random, side, side, side * side / (2 + i % 3), 2 + i % 3, &laid);
        SCOPED_TRACE(formatProblemLine(puzzle));
        const exact::BridgeModel model(puzzle);
        const std::vector<int> known = countsOf(model, laid);

        std::vector<exact::CountSet> counts(model.links().size(), exact::ANY_COUNT);
        const exact::CountingOutcome outcome = exact::narrowByCounting(model, counts);
        EXPECT_TRUE(outcome.possible);
        narrowed += outcome.narrowed;
        const exact::Reasoning reasoning = exact::reasonAboutLines(model);
        ASSERT_TRUE(reasoning.possible);
        for (std::size_t l = 0; l < known.size(); ++l) {
            EXPECT_TRUE(counts[l] & (1u << known[l])) << "counting, link " << l;
            EXPECT_TRUE(reasoning.counts[l] & (1u << known[l])) << "all rules, link " << l;
        }
    }
    EXPECT_GT(narrowed, 100);  // the set is worth running only while the counting narrows
}

TEST(ExactSolver, ATimeLimitThatRunsOutGivesUnknown) {
    const Puzzle ring = testing::puzzleOf(R"(
        3..3
        ....
        ....
        3..3)");
    exact::ExactLimits limits;
    limits.seconds = 1e-9;
    const exact::ExactResult result = exact::solveExactly(ring, limits);
    EXPECT_EQ(result.verdict, Verdict::Unknown);
    EXPECT_TRUE(result.solutions.empty());
    EXPECT_EQ(exact::verdictName(result.verdict), "unknown");
    limits.seconds = 60;
    EXPECT_EQ(exact::solveExactly(ring, limits).verdict, Verdict::Multiple);
}

struct HandCase {
    const char* name;
    const char* picture;
    Verdict verdict;
};

const HandCase HAND_CASES[] = {
    {"touching islands are never bridged", "11", Verdict::None},
    {"touching islands bridged around", R"(
        2.2
        ...
        2.2)",
     Verdict::Unique},
    {"a ring of 3s closes with either pair doubled", R"(
        3..3
        ....
        ....
        3..3)",
     Verdict::Multiple},
    {"a single island cannot get its bridges", "1", Verdict::None},
    {"a board without islands is no puzzle", "...", Verdict::None},
    {"two groups that each close themselves off", R"(
        1.1
        ...
        1.1)",
     Verdict::None},
    {"crossing bridges", R"(
        .1.
        1.1
        .1.)",
     Verdict::None},
    // Sums that add up only with a bridge too many: 21 islands of one colour of the
    // lattice, 20 of the other, all 2s. Without the counting argument the search runs
    // for minutes.
    {"a lattice of 2s with one island more of one colour", R"(
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2
        .............
        2.2.2.2.2.2.2)",
     Verdict::None},
};

TEST(ExactSolver, HandCases) {
    for (const HandCase& hand : HAND_CASES) {
        SCOPED_TRACE(hand.name);
        const Puzzle puzzle = testing::puzzleOf(hand.picture);
        const exact::ExactResult result = exact::solveExactly(puzzle);
        EXPECT_EQ(result.verdict, hand.verdict);
        expectSound(puzzle, result);
    }
}

TEST(ExactSolver, FindsTheOneSolutionThatDeductionCannotReach) {
    const Puzzle puzzle = testing::puzzleOf(R"(
        4.6....5.3
        ..........
        3...2..6.5
        ....3.21..
        ..........
        ....3..4..
        ..........
        5.6....3.3
        ..........
        3.3......2)");
    SolverBoard board = testing::boardOf(puzzle, false);
    SolveStats stats;
    ASSERT_FALSE(solveBoard(stats, board, false));
    ASSERT_EQ(testing::countSolutions(puzzle, 2), 1);

    const exact::ExactResult result = exact::solveExactly(puzzle);

    EXPECT_EQ(result.verdict, Verdict::Unique);
    expectSound(puzzle, result);
    EXPECT_GT(result.counters.solverCalls, 1);
}

TEST(ExactSolver, FirstDifferenceNamesThePairAndBothCounts) {
    const exact::Solution a = {{0, 0, 0, 3, 2}, {0, 0, 3, 0, 1}, {0, 3, 3, 3, 1}};
    const exact::Solution b = {{0, 0, 0, 3, 2}, {0, 3, 3, 3, 1}};
    const auto difference = exact::firstDifference(a, b);
    ASSERT_TRUE(difference);
    EXPECT_EQ(difference->first, (exact::Bridge{0, 0, 3, 0, 1}));
    EXPECT_EQ(difference->second, (exact::Bridge{0, 0, 3, 0, 0}));
    EXPECT_FALSE(exact::firstDifference(a, a));
}

// Each argument on a board it alone settles: the sentence names what rules the board out,
// and the exact verdict agrees. A board with a solution never gets a reason.
TEST(ExactReason, SaysWhyABoardHasNoSolution) {
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"0/1/3/1.2", "the numbers add up to 3, an odd total, but every bridge has two ends"},
        {"0/1/3/1.3", "the 3 at (1,3) can reach only one bridge"},
        {"0/2/5/1.1../..1.1",
         "the group of the 1 at (1,1) and one other island is cut off: no line leaves it, so "
         "the islands cannot all be joined"},
        {"0/3/3/2.2/.../1.3",
         "colour the islands black and white so that every line joins one of each: the black "
         "ones need 5 bridge ends, the white ones 3, but every bridge has one end on each"},
        {"0/5/9/2.4.2.2.2/........./2.2.2..../........./2.2.2.2.2/",
         "the group of the 2 at (1,7) and three other islands is cut off: every line that "
         "could leave it must stay empty"},
        {"0/5/9/2.4.2.2../........./2.2.2..../........./2.2.2.2../",
         "no way of giving every island its number exists"},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, c.line)) << c.line;
        EXPECT_EQ(exact::solveExactly(puzzle).verdict, Verdict::None) << c.line;
        EXPECT_EQ(exact::reasonForNone(puzzle).value_or("").rfind(c.reason, 0), 0u)
            << c.line << ": " << exact::reasonForNone(puzzle).value_or("(none)");
    }
    std::mt19937 random(35);
    for (int i = 0; i < 100; ++i) {
        const int side = 4 + i % 12;
        const Puzzle puzzle = testing::randomSolvableBoard(random, side, side, side * side / 3, 4);
        EXPECT_FALSE(exact::reasonForNone(puzzle)) << formatProblemLine(puzzle);
    }
}

}  // namespace
}  // namespace spanwright
