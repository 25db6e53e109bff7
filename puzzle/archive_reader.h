#pragma once

// Reading an archive of published puzzles, whatever form it was kept in: problem lines,
// game IDs, JSON pack records (the puzzle in their "problem" field, or "id" without one),
// CSV pack records (their header passed over), mixed line by line, or a benchmark file
// holding one puzzle. A maker reads archives to
// avoid what was published before, so every line must be a puzzle: a damaged line is
// refused with its number, never passed over, since a puzzle missed there could be made
// again.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Reads one archive line that is not blank into `puzzle`; false with the reason in `err`.
bool readArchiveLine(Puzzle& puzzle, std::string_view line, std::string& err);

/// Reads every puzzle of `file`, handing each to `take`. A file whose first line that is
/// not blank holds numbers only is a benchmark file, one puzzle in all; any other holds a
/// puzzle on every line that is not blank. False on the first line that is no puzzle or on
/// a read error, with the 1-based line in `errLine` and the reason in `err`.
bool readArchive(std::FILE* file, const std::function<void(const Puzzle&)>& take, long& errLine,
                 std::string& err);

}  // namespace spanwright
