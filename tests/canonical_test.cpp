// The canonical form under turns and mirrors, its hash, the finder of repeats, and the
// reading of a line that is either a problem line or a game ID.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "generator/derivation.h"
#include "puzzle/canonical.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"
#include "tests/support/random_board.h"

namespace spanwright {
namespace {

/// A board from its rows of "." and digits, difficulty 0.
Puzzle board(const std::vector<std::string>& rows) {
    std::string line = "0/" + std::to_string(rows.size()) + "/" + std::to_string(rows[0].size());
    for (const std::string& row : rows)
        line += "/" + row;
    Puzzle puzzle;
    EXPECT_TRUE(parseProblemLine(puzzle, line + "/"));
    return puzzle;
}

std::vector<std::string> rowsOf(const Puzzle& puzzle) {
    std::vector<std::string> rows;
    for (int r = 0; r < puzzle.height; ++r) {
        std::string row;
        for (int c = 0; c < puzzle.width; ++c) {
            const int cell = puzzle.cells[r * puzzle.width + c];
            row += cell == 0 ? '.' : char('0' + cell - ISLAND_BASE);
        }
        rows.push_back(row);
    }
    return rows;
}

// A 4 x 3 board no turn or mirror maps onto itself, and its eight images, worked out by
// hand. The smallest is the one mirrored in the diagonal from the top right.
const std::vector<std::string> BOARD = {"1.2.", "...3", "4..."};
const std::vector<std::string> CANONICAL = {".3.", "..2", "...", "4.1"};
constexpr std::uint64_t CANONICAL_HASH = 0x066fe5aa732efc8eULL;  // FNV-1a, worked out apart

const struct {
    Image image;
    std::vector<std::string> rows;
    const char* words;
} IMAGES[] = {
    {Image::Same, {"1.2.", "...3", "4..."}, ""},
    {Image::HalfTurn, {"...4", "3...", ".2.1"}, "turned a half turn"},
    {Image::MirrorLeftRight, {".2.1", "3...", "...4"}, "mirrored left to right"},
    {Image::MirrorTopBottom, {"4...", "...3", "1.2."}, "mirrored top to bottom"},
    {Image::QuarterTurn, {"4.1", "...", "..2", ".3."}, "turned a quarter turn clockwise"},
    {Image::QuarterTurnBack, {".3.", "2..", "...", "1.4"}, "turned a quarter turn anticlockwise"},
    {Image::MirrorDiagonal,
     {"1.4", "...", "2..", ".3."},
     "mirrored in the diagonal from the top left"},
    {Image::MirrorAntiDiagonal,
     {".3.", "..2", "...", "4.1"},
     "mirrored in the diagonal from the top right"},
};

TEST(Canonical, EveryImageHasOneFormAndSaysHowItWasMade) {
    const Puzzle original = board(BOARD);
    for (const auto& c : IMAGES) {
        SCOPED_TRACE(std::string(imageName(c.image)));
        const Puzzle image = applyImage(original, c.image);
        EXPECT_EQ(rowsOf(image), c.rows);
        EXPECT_EQ(imageWords(c.image), c.words);
        EXPECT_TRUE(sameBoard(applyImage(image, inverseImage(c.image)), original));

        Image found = Image::Same;
        ASSERT_TRUE(findImage(original, image, found));
        EXPECT_EQ(found, c.image);

        const CanonicalForm form = canonicalForm(image);
        EXPECT_EQ(rowsOf(form.puzzle), CANONICAL);
        EXPECT_EQ(form.hash, CANONICAL_HASH);
        EXPECT_TRUE(sameBoard(applyImage(image, form.image), form.puzzle));
    }
    EXPECT_EQ(hashText(CANONICAL_HASH), "066fe5aa732efc8e");
    EXPECT_FALSE(sameBoard(board({"1.2.", "...3", "3..."}), original));
}

TEST(RepeatFinder, NamesTheFirstOfEqualBoardsAndHowItWasTurned) {
    RepeatFinder finder;
    const Puzzle original = board(BOARD);
    EXPECT_FALSE(finder.add(original, 0));
    EXPECT_FALSE(finder.add(board({"1.2.", "...3", "3..."}), 1));  // one clue differs
    const auto turned = finder.add(applyImage(original, Image::QuarterTurnBack), 10);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->tag, 0u);
    EXPECT_EQ(turned->image, Image::QuarterTurnBack);
    // A board every image maps onto itself repeats as it is.
    EXPECT_FALSE(finder.add(board({"2.2", "...", "2.2"}), 2));
    const auto same = finder.add(board({"2.2", "...", "2.2"}), 3);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->tag, 2u);
    EXPECT_EQ(same->image, Image::Same);
}

TEST(RepeatFinder, FindsEveryImageOfGeneratedBoards) {
    std::mt19937 random(23);
    for (int round = 0; round < 40; ++round) {
        const int width = 3 + int(random() % 23);
        const int height = 3 + int(random() % 23);
        const Puzzle puzzle =
            testing::randomSolvableBoard(random, width, height, width * height / 5, 2 + round % 8);
        RepeatFinder finder;
        ASSERT_FALSE(finder.add(puzzle, 0));
        const std::uint64_t hash = canonicalForm(puzzle).hash;
        for (const Image image : ALL_IMAGES) {
            const Puzzle turned = applyImage(puzzle, image);
            EXPECT_EQ(canonicalForm(turned).hash, hash);
            const auto repeat = finder.add(turned, 1);
            ASSERT_TRUE(repeat);
            EXPECT_TRUE(sameBoard(applyImage(puzzle, repeat->image), turned));
        }
    }
}

TEST(PuzzleInput, ProblemLineOrGameIdOrSaysWhichWasMeant) {
    const struct {
        const char* line;
        const char* error;  ///< the start of the message; empty when the line is read
        int width, height, difficulty;
    } cases[] = {
        {"1/1/3/1.1/\n", "", 3, 1, 1},
        {" 3x3:2a2c2a2 \r\n", "", 3, 3, 0},
        {"4x3m2:1a2d34c", "", 4, 3, 0},
        {"2/x", "not a problem line: the line ends before its header", 0, 0, 0},
        {"7x5m3:abc", "not a game ID: bridge limit m3", 0, 0, 0},
        {"3x3#12345", "not a game ID: a random-seed ID", 0, 0, 0},
        {"hello\n",
         "neither a problem line (difficulty/height/width/rows) nor a game ID (WxH:description)", 0,
         0, 0},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        std::string err;
        const bool read = readPuzzleLine(puzzle, c.line, &err);
        EXPECT_EQ(read, *c.error == '\0') << c.line;
        EXPECT_EQ(err.rfind(c.error, 0), 0u) << c.line << ": " << err;
        if (!read) continue;
        EXPECT_EQ(puzzle.width, c.width) << c.line;
        EXPECT_EQ(puzzle.height, c.height) << c.line;
        EXPECT_EQ(puzzle.difficulty, c.difficulty) << c.line;
    }
}

TEST(Grading, AnUngradedPuzzleGetsTheGradeDeductionGivesIt) {
    Puzzle puzzle = board({"2.2", "...", "2.2"});
    gradeIfUngraded(puzzle);
    EXPECT_EQ(puzzle.difficulty, 1);
    puzzle.difficulty = 4;  // a grade it carries stays
    gradeIfUngraded(puzzle);
    EXPECT_EQ(puzzle.difficulty, 4);
    Puzzle ring = board({"3..3", "....", "....", "3..3"});  // two solutions: no grade
    gradeIfUngraded(ring);
    EXPECT_EQ(ring.difficulty, 0);
}

}  // namespace
}  // namespace spanwright
