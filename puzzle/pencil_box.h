#pragma once

// The pencil-box text format, which the puzz.link editor opens and saves beside its links:
//
//   rows
//   columns
//   then `rows` lines of `columns` cells separated by blanks: "." for water, "1" to "8"
//   for an island that needs that many bridges, "9" for an island whose number is not
//   given; then, optionally, the answer: `rows` lines of `columns` numbers, one for each
//   cell, the bridges that run down through a water cell plus four times those that run
//   across it (0 for islands and empty water).
//
// A "/" counts as a line end, as the editor takes it. One file may hold several puzzles
// one after another; each starts at its row count.

#include <string>
#include <string_view>
#include <vector>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright {

/// Longest pencil-box text read at once: many 125 x 125 boards with their answers.
inline constexpr std::size_t MAX_PENCIL_BOX_TEXT = std::size_t(16) << 20;

/// A puzzle of a pencil-box text and the 1-based line of its row count.
struct PencilBoxPuzzle {
    Puzzle puzzle;
    int line = 0;
};

/// Whether `line` can open a pencil-box file: one number alone (its row count).
bool looksLikePencilBox(std::string_view line);

/// Reads every puzzle of `text` (difficulty 0) into `puzzles`; an island whose number is
/// not given becomes UNKNOWN_ISLAND, and an answer is checked for its shape and values,
/// then passed over (the solution is found again, not trusted). Blank lines are passed
/// over, lines may end in "\r\n". Refuses, with the reason in `err` and the 1-based line
/// in `errLine`: sides outside 1 to MAX_BOARD_SIDE, a row of another length, a cell other
/// than ".", "1" to "9", an answer value outside 0 to 15, a text that ends inside a board,
/// and a text without any puzzle.
bool parsePencilBox(std::string_view text, std::vector<PencilBoxPuzzle>& puzzles, int* errLine,
                    std::string* err);

/// `puzzle` as a pencil-box text, ended by a line feed, with the answer of `solution` when
/// given (an empty answer, all 0, otherwise: the editor writes one either way).
std::string formatPencilBox(const Puzzle& puzzle, const Solution* solution);

}  // namespace spanwright
