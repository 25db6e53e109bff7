#pragma once

#include <string>

#include "puzzle/puzzle.h"

namespace spanwright {

/// The blank puzzle as UTF-8 text for a terminal, one line per row, each ending in a line
/// feed: a digit for an island, a middle dot (U+00B7) for water, cells one space apart
/// so that the board keeps roughly its shape in a terminal's tall character cells.
std::string formatPuzzlePicture(const Puzzle& puzzle);

}  // namespace spanwright
