#pragma once

// An independent judge of boards for the tests. It works from the rules of the puzzle
// alone and shares no code with the solver or the generator, so that a fault in either
// cannot hide behind the same fault in the code that checks it.
//
// Boards here are the solver's bordered planes: (puzzle width + 2) x (puzzle height + 2)
// cells row by row, puzzle cell (r, c) at plane cell (r + 1, c + 1), border cells 0.
// Codes: 0 water, 1 horizontal single bridge, 2 horizontal double, 3 vertical single,
// 4 vertical double, ISLAND_BASE + n an island that still needs n bridges.
// Positions in messages are puzzle rows and columns counted from 0.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright::testing {

/// Plane codes of the bridges.
inline constexpr std::uint8_t kWater = 0;
inline constexpr std::uint8_t kHorizontalSingle = 1;
inline constexpr std::uint8_t kHorizontalDouble = 2;
inline constexpr std::uint8_t kVerticalSingle = 3;
inline constexpr std::uint8_t kVerticalDouble = 4;

/// Returns "" when `boardCells` (a bordered plane of the size of `puzzle`) is a solution
/// of `puzzle`: the islands of the puzzle in their places and all complete, every bridge
/// a straight run between two islands, every island with its number of bridge ends, all
/// islands joined, nothing on the border. Otherwise a short reason naming the first fault.
std::string checkSolution(const Puzzle& puzzle, const std::uint8_t* boardCells);

/// Counts the solutions of `puzzle` by exhaustive search, stopping once `limit` are found
/// (pass 2 to ask whether the solution is unique).
int countSolutions(const Puzzle& puzzle, int limit);

/// One solution of `puzzle` as a bordered plane, or an empty vector when it has none.
std::vector<std::uint8_t> solveExhaustively(const Puzzle& puzzle);

/// The puzzle of a problem line; throws std::invalid_argument when the line is refused.
Puzzle puzzleFromLine(std::string_view line);

/// The puzzle of a picture: rows on separate lines, "1" to "8" islands, everything else
/// water. Blank lines before and after the rows and white space around each row are
/// ignored, so that pictures can be indented raw strings; the bridge symbols of
/// boardFromPicture count as water, so a drawn solution also gives its puzzle. Throws
/// std::invalid_argument for an empty picture or rows of different lengths.
Puzzle puzzleFromPicture(std::string_view picture, int difficulty = 0);

/// The bordered plane of a drawn board: "." water, "-" and "=" horizontal single and
/// double bridges, "|" and "H" vertical single and double bridges, "1" to "8" complete
/// islands. Throws std::invalid_argument for another symbol or rows of different lengths.
std::vector<std::uint8_t> boardFromPicture(std::string_view picture);

/// A drawing of a bordered plane in the symbols of boardFromPicture, one line per puzzle
/// row, for failure messages. Islands show their number from `puzzle`, or "#" where the
/// plane says they still need bridges; other codes show as "?".
std::string drawBoard(const Puzzle& puzzle, const std::uint8_t* boardCells);

}  // namespace spanwright::testing
