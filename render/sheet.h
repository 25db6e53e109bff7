#pragma once

// What a printed book holds: the puzzles in their running order and, for the answer key,
// each one's solution as a list of bridges. The layout (page_layout.h) decides where
// things go; the drawing (page_drawing.h) reads both.

#include <string>
#include <vector>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"
#include "render/caption.h"

namespace spanwright {

/// What is known about a puzzle's solutions, in the words of exact::Verdict.
enum class KeyVerdict {
    Unique,    ///< exactly one solution, given in the bridges
    None,      ///< no solution
    Multiple,  ///< more than one solution
    Unknown,   ///< deduction stalled and nothing decided it
};

/// The answer key entry of one puzzle.
struct KeySolution {
    KeyVerdict verdict = KeyVerdict::Unknown;
    Solution bridges;  ///< only with KeyVerdict::Unique
};

/// One puzzle of the book.
struct SheetPuzzle {
    Puzzle puzzle;
    int number = 0;     ///< running number, from 1, the same on the puzzle and in the key
    KeySolution key;    ///< read only when the book has a key
    std::string level;  ///< the level word of the caption ("medium"); empty for none
    double score = 0;   ///< the difficulty score; only with a level
    long day = NO_DAY;  ///< the day the puzzle is for (--date), or NO_DAY
};

/// Everything the pages show besides the layout.
struct Book {
    /// The puzzles in running order, from the one of index `first` on: a book drawn as it
    /// is read holds only the puzzles of the page being drawn.
    std::vector<SheetPuzzle> puzzles;
    int first = 0;
    std::string title;  ///< heading of the pages of unnamed sections; empty for none
    /// The heading of each section, by the index a page carries; empty for none, when the
    /// title stands in its place.
    std::vector<std::string> sections;
    bool dots = true;  ///< a faint dot at each water cell, to help count cells
    CaptionTemplate caption;

    // The front matter.
    std::string titlePage;  ///< the text of the title page
    std::string titleNote;  ///< a line under it: what the book holds
    /// A line of the contents: a part of the book and the page it starts on.
    struct ContentsLine {
        std::string text;
        int page = 0;
    };
    std::vector<ContentsLine> contents;
    /// The small puzzle of the rules page, with its solution in `key`.
    SheetPuzzle example;
};

}  // namespace spanwright
