#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::puzzleFromPicture;

std::string idOf(const Puzzle& puzzle) {
    std::string id;
    std::string err;
    EXPECT_TRUE(formatGameId(puzzle, id, &err)) << err;
    return id;
}

TEST(GameId, RunsOfWaterCrossRowEndsAndLongRunsTakeSeveralLetters) {
    const Puzzle puzzle = puzzleFromPicture(R"(
        2.......
        ........
        ........
        ........
        2......3
        ..1.....)");
    // 7 + 3 * 8 = 31 cells of water between the first two islands: "z" and "e".
    EXPECT_EQ(idOf(puzzle), "8x6m2:2ze2f3b1e");

    Puzzle read;
    std::string err;
    ASSERT_TRUE(parseGameId(read, "8x6m2:2ze2f3b1e", &err)) << err;
    EXPECT_EQ(formatProblemLine(read), formatProblemLine(puzzle));
}

/// The trip through an ID and back, with the difficulty that IDs do not carry cleared.
void expectRoundTrip(Puzzle& puzzle) {
    puzzle.difficulty = 0;
    Puzzle read;
    std::string err;
    ASSERT_TRUE(parseGameId(read, idOf(puzzle), &err)) << err;
    EXPECT_EQ(formatProblemLine(read), formatProblemLine(puzzle));
}

TEST(GameId, ProblemsSurviveTheTripThroughAnId) {
    // Generated problems of sides 10, 15 and 20.
    for (const char* name :
         {"seeded-4242-10-12.txt", "seeded-4343-15-6.txt", "seeded-4444-20-3.txt"}) {
        std::ifstream file(std::string(SPANWRIGHT_TEST_DATA) + "/" + name);
        for (std::string line; std::getline(file, line);) {
            Puzzle puzzle;
            ASSERT_TRUE(parseProblemLine(puzzle, line));
            expectRoundTrip(puzzle);
        }
    }
    // Random boards of unequal sides up to the largest, islands never side by side.
    std::mt19937 random(14);
    for (const auto& [width, height] : {std::pair{3, 7}, {17, 4}, {125, 3}, {40, 125}}) {
        Puzzle puzzle;
        puzzle.width = std::int8_t(width);
        puzzle.height = std::int8_t(height);
        puzzle.allocateCells();
        for (int cell = 0; cell < width * height; ++cell) {
            const bool free = (cell % width == 0 || puzzle.cells[cell - 1] == 0) &&
                              (cell < width || puzzle.cells[cell - width] == 0);
            if (free && random() % 3 == 0)
                puzzle.cells[cell] = std::uint8_t(ISLAND_BASE + 1 + random() % 8);
        }
        expectRoundTrip(puzzle);
    }
}

TEST(GameId, ParameterFormsThatNameTheSameBoard) {
    for (const char* id : {"3x3m2:2a2c2a2", "3:2a2c2a2", "3x3:2a2c2a2", "03x003d0m2:2a2c2a2",
                           "3x3i30e10m2d2:2a2c2a2"}) {
        Puzzle puzzle;
        std::string err;
        ASSERT_TRUE(parseGameId(puzzle, id, &err)) << id << ": " << err;
        EXPECT_EQ(formatProblemLine(puzzle), "0/3/3/2.2/.../2.2/\n") << id;
    }
}

TEST(GameId, RefusalsSayWhy) {
    const struct {
        const char* id;
        const char* message;
    } cases[] = {
        {"3x3m3:2a2c2a2",
         "the ID allows 3 bridges between two islands (m3); "
         "this system allows exactly up to 2 (m2)"},
        {"3x3m4:2a2c2a2",
         "the ID allows 4 bridges between two islands (m4); "
         "this system allows exactly up to 2 (m2)"},
        {"3x3m1:2a2c2a2",
         "the ID allows 1 bridges between two islands (m1); "
         "this system allows exactly up to 2 (m2)"},
        {"3x3m2L:2a2c2a2", "the ID sets the no-loops rule (L), which this system does not have"},
        {"10x10i30e10m2d2#1234",
         "a random-seed ID (parameters#seed) names no board; ask the app "
         "that made it for the descriptive ID (parameters:description)"},
        {"3x3m2", "no ':' between the parameters and the description"},
        {"x3:2a2c2a2", "the ID does not start with the board width"},
        {"3x:2a2c2a2", "no board height after the 'x'"},
        {"3x3q:2a2c2a2", "unknown parameter 'q' before the ':'"},
        {"3x3m:2a2c2a2", "parameter 'm' has no number"},
        {"126x3:a", "the board is 126 x 3; sides run from 1 to 125"},
        {"3x0:", "the board is 3 x 0; sides run from 1 to 125"},
        {"99999999999x3:a", "the board is 1000000 x 3; sides run from 1 to 125"},
        {"3x3:2a2c2a", "the description covers 8 of the 9 cells of the board"},
        {"3x3:2a2c2a2a", "the description goes on past the last cell, at character 12"},
        {"3x3:2a2c2c", "the water run 'c' at character 10 goes past the last cell"},
        {"3x3:2a9c2a2", "the island '9' at row 1, column 3 needs more than 8 bridges"},
        {"3x3:2aBc2a2", "the island 'B' at row 1, column 3 needs more than 8 bridges"},
        {"3x3:2a0c2a2", "unexpected '0' at character 7"},
        {"3x3:2a2c2a2\n", "the description goes on past the last cell, at character 12"},
        {"3x3: 2a2c2a2", "unexpected ' ' at character 5"},
        {"3x3:2a\x01", "unexpected byte 0x01 at character 7"},
    };
    for (const auto& c : cases) {
        Puzzle puzzle;
        std::string err;
        EXPECT_FALSE(parseGameId(puzzle, c.id, &err)) << c.id;
        EXPECT_EQ(err, c.message) << c.id;
    }
}

TEST(GameId, BoardsTheAppsWouldRefuseGetNoId) {
    const struct {
        const char* picture;
        const char* message;
    } cases[] = {
        {"2.2", "the board is 3 x 1; the collection's apps open boards of 3 x 3 and more"},
        {"...\n.1.\n...", "the board has 1 island(s); the collection's apps need at least 2"},
        {"2..\n...\n.12",
         "the islands at row 3, column 2 and row 3, column 3 touch; "
         "the collection's apps refuse such boards"},
        {"2.1\n..1\n...",
         "the islands at row 1, column 3 and row 2, column 3 touch; "
         "the collection's apps refuse such boards"},
    };
    for (const auto& c : cases) {
        std::string id = "unchanged";
        std::string err;
        EXPECT_FALSE(formatGameId(puzzleFromPicture(c.picture), id, &err)) << c.picture;
        EXPECT_EQ(err, c.message);
    }
}

}  // namespace
}  // namespace spanwright
