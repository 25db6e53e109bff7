#pragma once

#include <functional>
#include <string>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Where a puzzle of the book came from, for messages about it: the file, as an index into
/// the names the run shows (one copy each, however many puzzles a file holds), and the line.
struct PuzzleOrigin {
    int file = 0;
    long line = 0;
};

/// A FILE argument as messages show it: "standard input" for "-".
std::string shownFileName(const std::string& path);

/// Reads the problem lines of every file in turn ("-" for standard input), handing each
/// puzzle to `take` as it is read, so that nothing waits in memory. Blank lines are passed
/// over. On an unreadable file or a refused line, says so on standard error as `program`
/// and returns false; returns false as well as soon as `take` does. A puzzle that repeats
/// an earlier one, turned or mirrored or not, is named on standard error as a warning;
/// with `refuseRepeats` as an error, and false is returned once every file was read.
bool readPuzzles(const char* program, const std::vector<std::string>& paths,
                 const std::function<bool(Puzzle&, PuzzleOrigin)>& take,
                 bool refuseRepeats = false);

}  // namespace spanwright
