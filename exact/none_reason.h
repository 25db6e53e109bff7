#pragma once

// Why a board has no solution, in a sentence a person can follow: the counting, parity and
// cut arguments of the exact reasoning told as such, for the places that stop at "no
// solution" (spanwright-explain, the browser page).

#include <optional>
#include <string>

#include "puzzle/puzzle.h"

namespace spanwright::exact {

/// The simplest argument found that `puzzle` has no solution, as one sentence without a
/// final full stop, cells as (row,column) counted from 1: an odd total of numbers, an
/// island that cannot reach its number, a group no line leaves, black and white islands
/// that need different numbers of bridge ends where every line joins one of each, or what
/// the exact reasoning ruled out. Nothing when no such argument is found (the search alone
/// shows it, or the board has a solution).
std::optional<std::string> reasonForNone(const Puzzle& puzzle);

}  // namespace spanwright::exact
