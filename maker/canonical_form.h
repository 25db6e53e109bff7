#pragma once

// The form of a board that no rotation or mirror changes, so that one run never gives the
// same puzzle twice turned or flipped, and a stable hash of it for the JSON records.

#include <cstdint>
#include <string>

#include "puzzle/puzzle.h"

namespace spanwright::maker {

/// The smallest of the board's images under the quarter turns and mirrors that keep its
/// shape (eight for a square, four for other rectangles), compared as width, height and
/// cells row by row.
std::string canonicalForm(const Puzzle& puzzle);

/// FNV-1a over canonicalForm: the same number on every machine and in every run.
std::uint64_t canonicalHash(const Puzzle& puzzle);

}  // namespace spanwright::maker
