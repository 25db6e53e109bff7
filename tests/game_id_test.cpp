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

/// The puzzle read back from its ID; the ID is checked against `expected` when given.
std::string throughAnId(const Puzzle& puzzle, const std::string& expected = "") {
    std::string id;
    std::string err;
    Puzzle read;
    EXPECT_TRUE(formatGameId(puzzle, id, &err)) << err;
    EXPECT_TRUE(expected.empty() || id == expected) << id;
    EXPECT_TRUE(parseGameId(read, id, &err)) << err;
    return formatProblemLine(read);
}

TEST(GameId, ProblemsSurviveTheTripThroughAnId) {
    // 7 + 3 * 8 = 31 cells of water between the first two islands: "z" and "e".
    const Puzzle runs = puzzleFromPicture(
        "2.......\n........\n........\n........\n"
        "2......3\n..1.....");
    EXPECT_EQ(throughAnId(runs, "8x6m2:2ze2f3b1e"), formatProblemLine(runs));

    // Generated problems of sides 10, 15 and 20, without the difficulty IDs do not carry.
    for (const char* name :
         {"seeded-4242-10-12.txt", "seeded-4343-15-6.txt", "seeded-4444-20-3.txt"}) {
        std::ifstream file(std::string(SPANWRIGHT_TEST_DATA) + "/" + name);
        for (std::string line; std::getline(file, line);) {
            Puzzle puzzle;
            ASSERT_TRUE(parseProblemLine(puzzle, "0" + line.substr(line.find('/'))));
            EXPECT_EQ(throughAnId(puzzle), formatProblemLine(puzzle));
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
        EXPECT_EQ(throughAnId(puzzle), formatProblemLine(puzzle));
    }
    for (const char* id : {"3:2a2c2a2", "03x003d0m2:2a2c2a2", "3x3i30e10m2d2:2a2c2a2"}) {
        Puzzle puzzle;
        ASSERT_TRUE(parseGameId(puzzle, id, nullptr)) << id;
        EXPECT_EQ(formatProblemLine(puzzle), "0/3/3/2.2/.../2.2/\n") << id;
    }
}

TEST(GameId, RefusalsSayWhy) {
    const char* const cases[][2] = {
        {"3x3m3:2a2c2a2",
         "bridge limit m3; the rules here allow 1 or 2 bridges between two islands (m2)"},
        {"3x3m4:2a2c2a2",
         "bridge limit m4; the rules here allow 1 or 2 bridges between two islands (m2)"},
        {"3x3m1:2a2c2a2",
         "bridge limit m1; the rules here allow 1 or 2 bridges between two islands (m2)"},
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
        // Numbers past every bound are echoed as given, not as the value they were held at.
        {"99999999999x3:a", "the board is 99999999999 x 3; sides run from 1 to 125"},
        {"3x3m4294967298:2a2c2a2",
         "bridge limit m4294967298; the rules here allow 1 or 2 bridges between two islands (m2)"},
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
    for (const auto& [id, message] : cases) {
        Puzzle puzzle;
        std::string err;
        EXPECT_FALSE(parseGameId(puzzle, id, &err)) << id;
        EXPECT_EQ(err, message) << id;
    }
}

TEST(GameId, BoardsTheAppsWouldRefuseGetNoId) {
    const char* const cases[][2] = {
        {"2.2", "the board is 3 x 1; the collection's apps open boards of 3 x 3 and more"},
        {"...\n.1.\n...", "the board has 1 island(s); the collection's apps need at least 2"},
        {"2.1\n..1\n...",
         "the islands at row 1, column 3 and row 2, column 3 touch; "
         "the collection's apps refuse such boards"},
    };
    for (const auto& [picture, message] : cases) {
        std::string id;
        std::string err;
        EXPECT_FALSE(formatGameId(puzzleFromPicture(picture), id, &err)) << picture;
        EXPECT_EQ(err, message);
    }
}

}  // namespace
}  // namespace spanwright
