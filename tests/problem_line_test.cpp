#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "puzzle/problem_line.h"

namespace spanwright {
namespace {

std::vector<int> cellsOf(const Puzzle& puzzle) {
    return std::vector<int>(puzzle.cells.get(), puzzle.cells.get() + puzzle.cellCount());
}

TEST(ProblemLine, ReadsTheSmallestExample) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, "1/1/3/2.2/\n"));
    EXPECT_EQ(puzzle.difficulty, 1);
    EXPECT_EQ(puzzle.height, 1);
    EXPECT_EQ(puzzle.width, 3);
    EXPECT_EQ(cellsOf(puzzle), (std::vector<int>{7, 0, 7}));
}

TEST(ProblemLine, HeaderOrderIsDifficultyHeightWidth) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, "4/2/3/1.2/3.4/"));
    EXPECT_EQ(puzzle.difficulty, 4);
    EXPECT_EQ(puzzle.height, 2);
    EXPECT_EQ(puzzle.width, 3);
    EXPECT_EQ(cellsOf(puzzle), (std::vector<int>{6, 0, 7, 8, 0, 9}));
}

TEST(ProblemLine, RefusesAnIncompleteHeader) {
    for (const char* line : {"", "\n", "\r\n", "1", "1/1", "1/1/3", "1/1/3\n"}) {
        Puzzle puzzle;
        LineFault fault = LineFault::None;
        EXPECT_FALSE(parseProblemLine(puzzle, line, &fault)) << line;
        EXPECT_EQ(fault, LineFault::MissingHeader) << line;
    }
}

TEST(ProblemLine, RefusesTooFewCellsAndIgnoresExtraOnes) {
    Puzzle puzzle;
    LineFault fault = LineFault::None;
    EXPECT_FALSE(parseProblemLine(puzzle, "1/2/3/2.2/1./", &fault));
    EXPECT_EQ(fault, LineFault::MissingCells);

    ASSERT_TRUE(parseProblemLine(puzzle, "1/1/3/2.2/8888/junk"));
    EXPECT_EQ(cellsOf(puzzle), (std::vector<int>{7, 0, 7}));
}

TEST(ProblemLine, PassesOverAllButDotsAndDigitsOneToEight) {
    Puzzle puzzle;
    // "0", "9", letters, blanks, slashes and line ends store nothing; the row structure is
    // not checked.
    ASSERT_TRUE(parseProblemLine(puzzle, "1/2/2/0 9a1/x/./.b8\r\n"));
    EXPECT_EQ(cellsOf(puzzle), (std::vector<int>{6, 0, 0, 13}));
}

TEST(ProblemLine, ConvertsHeaderFieldsLikeTheCLibrary) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, " \t+3/ 1x/\v3/2.2/"));
    EXPECT_EQ(puzzle.difficulty, 3);
    EXPECT_EQ(puzzle.height, 1);
    EXPECT_EQ(puzzle.width, 3);

    // A field without digits reads as 0; a negative difficulty is kept as it stands.
    ASSERT_TRUE(parseProblemLine(puzzle, "/1/3/2.2/"));
    EXPECT_EQ(puzzle.difficulty, 0);
    ASSERT_TRUE(parseProblemLine(puzzle, "-7/1/3/2.2/"));
    EXPECT_EQ(puzzle.difficulty, -7);

    // Stored as the low 8 bits, read as signed.
    ASSERT_TRUE(parseProblemLine(puzzle, "200/1/3/2.2/"));
    EXPECT_EQ(puzzle.difficulty, -56);
    ASSERT_TRUE(parseProblemLine(puzzle, "99999999999999/1/3/2.2/"));
    EXPECT_EQ(puzzle.difficulty, -1);  // clamped to 2^31 - 1, whose low byte is 0xFF
}

TEST(ProblemLine, RefusesBoardSizesOutsideOneTo125) {
    const char* refused[] = {"1/0/3/2.2/", "1/1/0//",      "1/-1/3/2.2/", "1/1/126/2.2/",
                             "1/126/1/2/", "1/1/259/2.2/", "1/1/-253/2/", "1/1/4294967299/2.2/"};
    for (const char* line : refused) {
        Puzzle puzzle;
        LineFault fault = LineFault::None;
        EXPECT_FALSE(parseProblemLine(puzzle, line, &fault)) << line;
        EXPECT_EQ(fault, LineFault::BoardSize) << line;
    }
    Puzzle puzzle;
    std::string widest = "1/1/125/" + std::string(125, '.') + "/";
    ASSERT_TRUE(parseProblemLine(puzzle, widest));
    EXPECT_EQ(puzzle.width, 125);
}

TEST(ProblemLine, StopsAtANulByte) {
    Puzzle puzzle;
    const std::string line(
        "1/1/3/2.\0"
        "2/",
        11);
    LineFault fault = LineFault::None;
    EXPECT_FALSE(parseProblemLine(puzzle, line, &fault));
    EXPECT_EQ(fault, LineFault::MissingCells);
}

TEST(ProblemLine, ReplacesTheCellsOfAReusedRecord) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, "1/2/2/1.../"));
    ASSERT_TRUE(parseProblemLine(puzzle, "1/1/3/2.2/"));
    EXPECT_EQ(cellsOf(puzzle), (std::vector<int>{7, 0, 7}));
}

TEST(ProblemLine, WritesWhatItReads) {
    const char* lines[] = {
        "1/1/3/2.2/\n",
        "5/3/4/1..8/..../2.34/\n",
        "-3/2/1/7/./\n",
        "2/10/10/3...4.4..3/.......1../4..1....1./..3.4.1..3/...1....../"
        "....4..3.2/2..3..4.3./..4..1...2/........1./1.2.1.3..3/\n",
    };
    for (const char* line : lines) {
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, line)) << line;
        EXPECT_EQ(formatProblemLine(puzzle), line);

        Puzzle again;
        ASSERT_TRUE(parseProblemLine(again, formatProblemLine(puzzle)));
        EXPECT_EQ(again.width, puzzle.width);
        EXPECT_EQ(again.height, puzzle.height);
        EXPECT_EQ(again.difficulty, puzzle.difficulty);
        EXPECT_EQ(cellsOf(again), cellsOf(puzzle));
    }
}

TEST(ProblemLine, WriterReportsAFailedWrite) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, "1/1/3/2.2/"));
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_FALSE(writeProblemLine(full, puzzle));
    std::fclose(full);
}

}  // namespace
}  // namespace spanwright
