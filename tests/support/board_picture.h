#pragma once

// Boards as pictures for the solver's tests: a board is written as a few lines of text,
// loaded, changed by one stage, and read back as text.
//
// Pictures are raw strings: one line per puzzle row, blank lines before and after the
// rows and white space around each row ignored, so that they can be indented with the
// code. In a puzzle picture "." is water and "1" to "8" an island that needs that many
// bridges.

#include <string>
#include <string_view>

#include "puzzle/puzzle.h"
#include "solver/board.h"
#include "solver/solve_stats.h"

namespace spanwright::testing {

/// The rows of a picture trimmed and joined by line feeds, a line feed after the last:
/// the form in which the describing functions below return their pictures.
std::string picture(std::string_view text);

/// The puzzle of a picture: "." water, "1" to "8" islands. Throws std::invalid_argument
/// for another symbol, rows of different lengths or an empty picture.
Puzzle puzzleOf(std::string_view text);

/// A board built from `puzzle` by loadPuzzle, and scanned unless `scan` is false.
SolverBoard boardOf(const Puzzle& puzzle, bool scan = true);

/// A board built from a puzzle picture, scanned unless `scan` is false.
SolverBoard boardOf(std::string_view text, bool scan = true);

/// The board position of the puzzle cell in `row` and `column`, both counted from 0
/// without the border.
int cellAt(const SolverBoard& board, int row, int column);

/// The cell codes of the interior: "." water, "-" and "=" horizontal single and double
/// bridges, "|" and "H" vertical single and double bridges, and an island as the digit of
/// the bridges it still needs ("0" once complete).
std::string cellPicture(const SolverBoard& board);

/// The horizontal line states of the interior. Water shows its state: "." closed, "+" one
/// or two, "?" zero or one, "o" open. Islands show "#" and bridge cells their symbol.
std::string horizontalPicture(const SolverBoard& board);

/// The vertical line states of the interior, in the symbols of horizontalPicture.
std::string verticalPicture(const SolverBoard& board);

/// The group of every island as a letter, "a" for id 0, "b" for id 1 and so on ("*"
/// past "z"); every other cell ".".
std::string groupPicture(const SolverBoard& board);

/// The code page 932 bytes that the solver's drawing gives for a picture of glyphs: "."
/// the full-width space, "-" "=" "|" "H" the bridge glyphs, "0" to "8" the full-width
/// digits. Every row ends in a line feed and one more line feed closes the drawing.
std::string glyphDrawing(std::string_view text);

/// The six counters in the order of the statistics line, separated by commas.
std::string countersOf(const SolveStats& stats);

/// "" when the two boards have the same size, flags, cells, line states, group ids and
/// group records; otherwise the first difference.
std::string boardDifference(const SolverBoard& a, const SolverBoard& b);

/// Applies the island rule at every island until it changes nothing more.
void settleIslandRule(SolverBoard& board);

}  // namespace spanwright::testing
