#pragma once

#include <string>
#include <vector>

#include "render/sheet.h"

namespace spanwright {

/// Where a puzzle of the book came from, for messages about it.
struct PuzzleOrigin {
    std::string file;  ///< as messages show it
    long line = 0;
};

/// Reads the problem lines of every file in turn ("-" for standard input) into the book,
/// numbering the puzzles from 1. Blank lines are passed over. On an unreadable file or a
/// refused line, says so on standard error as `program` and returns false.
bool readPuzzles(const char* program, const std::vector<std::string>& paths, Book& book,
                 std::vector<PuzzleOrigin>& origins);

}  // namespace spanwright
