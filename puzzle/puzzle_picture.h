#pragma once

#include <string>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright {

/// The blank puzzle as UTF-8 text for a terminal, one line per row, each ending in a line
/// feed: a digit for an island, a middle dot (U+00B7) for water, cells one space apart
/// so that the board keeps roughly its shape in a terminal's tall character cells.
std::string formatPuzzlePicture(const Puzzle& puzzle);

/// The puzzle with bridges (a solution, or the bridges known so far) in UTF-8 box-drawing
/// characters, one text line per row: digits for islands, ─ ═ for horizontal single and
/// double bridges, │ ║ for vertical ones, · for water.
std::string drawSolution(const Puzzle& puzzle, const Solution& solution);

}  // namespace spanwright
