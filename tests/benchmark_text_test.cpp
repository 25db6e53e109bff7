#include <gtest/gtest.h>

#include <string>

#include "puzzle/benchmark_text.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_picture.h"

namespace spanwright {
namespace {

TEST(BenchmarkText, ReadsRowsOfNumbersAndDrawsThePuzzle) {
    Puzzle puzzle;
    int line = 0;
    std::string err;
    ASSERT_TRUE(parseBenchmarkText(puzzle, "\n3 4 3\r\n2 0 0 3\n\n0  0 0\t0\n1 0 0 0", &line, &err))
        << err;
    EXPECT_EQ(formatProblemLine(puzzle), "0/3/4/2..3/..../1.../\n");
    EXPECT_EQ(formatPuzzlePicture(puzzle),
              "2 \u00B7 \u00B7 3\n"
              "\u00B7 \u00B7 \u00B7 \u00B7\n"
              "1 \u00B7 \u00B7 \u00B7\n");
}

TEST(BenchmarkText, RefusalsNameTheLine) {
    const struct {
        const char* text;
        int line;
        const char* message;
    } cases[] = {
        {"", 1, "the file holds no numbers"},
        {"\n\n", 2, "the file holds no numbers"},
        {"2 2\n", 1, "the first line should be three numbers: rows columns islands"},
        {"2 x 1\n", 1, "'x' is not a number"},
        {"1 2 -1\n", 1, "'-1' is not a number"},
        {"0 3 0\n", 1, "the board is 0 rows by 3 columns; sides run from 1 to 125"},
        {"2 126 0\n", 1, "the board is 2 rows by 126 columns; sides run from 1 to 125"},
        {"2147483647 2 0\n", 1,
         "the board is 2147483647 rows by 2 columns; sides run from 1 to 125"},
        {"2 2 2\n1 0\n0 1 0\n", 3, "row 2 has 3 numbers, not 2"},
        {"1 2 1\n9 0\n", 2, "the island of 9 in column 1 needs more than 8 bridges"},
        {"2 2 2\n1 0\n", 2, "the file ends after 1 of its 2 rows"},
        {"1 2 2\n1 1\n1 1\n", 3, "more rows than the 1 the first line gives"},
        {"2 2 3\n1 0\n0 1\n", 1, "the first line gives 3 islands, the rows hold 2"},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        int line = 0;
        std::string err;
        EXPECT_FALSE(parseBenchmarkText(puzzle, c.text, &line, &err)) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_EQ(err, c.message) << c.text;
    }
}

}  // namespace
}  // namespace spanwright
