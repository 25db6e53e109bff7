#pragma once

// The text format of the published Hashiwokakero benchmark set, one problem per file:
//
//   rows cols islands
//   then `rows` lines of `cols` numbers separated by blanks, 0 for water and 1 to 8 for an
//   island that needs that many bridges.

#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Longest benchmark file read: a 125 x 125 board written with wide columns stays far
/// below it.
inline constexpr std::size_t MAX_BENCHMARK_TEXT = std::size_t(1) << 20;

/// Reads the whole text of a benchmark file into `puzzle` (difficulty 0). Blank lines
/// are passed over anywhere and every line may end in "\r\n". Refuses, with the reason in
/// `err` and the 1-based line it concerns in `errLine`: a header that is not three
/// numbers, sides outside 1 to MAX_BOARD_SIDE, a row of another length, a value other
/// than 0 to 8, more or fewer rows than the header says, and an island count that differs
/// from the header's.
bool parseBenchmarkText(Puzzle& puzzle, std::string_view text, int* errLine, std::string* err);

/// Whether `line` can open a benchmark file: three numbers alone (rows, columns, islands).
bool looksLikeBenchmarkText(std::string_view line);

/// `puzzle` as the text of a benchmark file, numbers separated by one blank, every line
/// ended by a line feed. The puzzle must not hold an UNKNOWN_ISLAND: the format has none.
std::string formatBenchmarkText(const Puzzle& puzzle);

}  // namespace spanwright
