#pragma once

// The book of pages, and the solving that the book and the single files share.

#include <string>

#include "app/sheet/sheet_options.h"
#include "app/sheet/sheet_output.h"
#include "render/answer_key.h"

namespace spanwright::sheet {

/// Where a puzzle came from, as a message names it.
struct Origin {
    const std::string& file;
    long line;
};

/// The exact solver, for the boards deduction leaves open, giving up after `timeLimit`
/// CPU seconds a board. With `left`, it reads there instead what the board's earlier work
/// left of its limit, and answers "not decided" at once when that is nothing.
SolutionSource exactSolutionSource(double timeLimit, const double* left = nullptr);

/// Solves a puzzle for the key, warning when it gets no answer, and when only the exact
/// search found it.
KeySolution solveForKey(const SolutionSource& exact, double timeLimit, const Puzzle& puzzle,
                        long number, Origin origin);

/// Whether a puzzle may be published under --strict, saying why not on standard error.
bool fitForStrict(const Puzzle& puzzle, long number, Origin origin, double timeLimit);

/// Reads the puzzles of the options' files and draws the whole book into `output`, which
/// the caller then publishes; false once something was said to have gone wrong.
bool writeBook(const Options& options, BookOutput& output);

}  // namespace spanwright::sheet
