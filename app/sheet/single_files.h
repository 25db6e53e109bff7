#pragma once

// Single puzzles for newspapers (--one-per-file): every puzzle, and its solution if asked
// for, as an image file of its own cropped to the board, at a cell size in millimetres.

#include <functional>
#include <string>
#include <vector>

#include "app/sheet/sheet_input.h"
#include "app/sheet/sheet_options.h"
#include "app/sheet/sheet_output.h"
#include "render/sheet.h"

namespace spanwright {

using sheet::DEFAULT_SINGLE_DPI;
using sheet::SingleOptions;

/// The files of `count` puzzles written to `path`: the number before the extension,
/// zero-padded to the digits of the count and at least two (sun-01.png ... sun-07.png,
/// sun-001.png for a hundred or more), and each solution beside its puzzle with
/// "-solution" after the number (sun-01-solution.png).
/// A path with fields ({number}, {date}, {weekday}) names each file itself instead:
/// the fields filled for puzzle n (numbered from 1) and its day, firstDay + (n - 1) * step.
std::vector<std::string> singleFileNames(const std::string& path, int count, bool puzzles,
                                         bool solutions, long firstDay = NO_DAY, long dateStep = 1);

/// The pictures and solutions an earlier run under `path` left standing (every width of
/// numbers): what publishing a new set removes where it does not replace them.
std::vector<std::string> earlierSingleFiles(const std::string& path);

/// Solves a puzzle for its solution file, with the running number and origin for messages.
using KeySolver = std::function<KeySolution(const Puzzle&, int, PuzzleOrigin)>;
/// Whether a puzzle may be published under --strict, saying why not on standard error.
using StrictCheck = std::function<bool(const Puzzle&, int, PuzzleOrigin)>;

/// One run of --one-per-file.
struct SingleRun {
    const char* program = "";
    std::string output;
    SheetFormat format = SheetFormat::Png;
    SingleOptions options;
    bool solutions = false;  ///< --solutions: each solution beside its puzzle
    bool dots = true;
    int dpi = int(DEFAULT_SINGLE_DPI);
    long maxFiles = 0;
    std::vector<std::string> files;
    KeySolver solve;
    StrictCheck strict;      ///< --strict: every puzzle must pass, or nothing is written
    long firstDay = NO_DAY;  ///< the day of the first puzzle, for names with {date}
    long dateStep = 1;
};

/// Reads the puzzles and writes their files, staged and published as one set (as the
/// pages of a book are); returns the exit status, every failure said on standard error.
int writeSingleFiles(const SingleRun& run);

}  // namespace spanwright
