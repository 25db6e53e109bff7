#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Which form a line of puzzle input took.
enum class PuzzleLineForm {
    ProblemLine,  ///< difficulty/height/width/row/.../row/
    GameId,       ///< WxH:description, as the collection's apps pass boards around
    Link,         ///< https://puzz.link/p?hashikake/COLS/ROWS/BODY, as the editor posts them
    Neither,
};

/// The form of `line`: a link has a '?' before its first '/', a problem line holds a '/',
/// a game ID a ':' (or the '#' of a random-seed ID, which is refused with its own reason)
/// and no '/'. Anything else is neither, and is refused as such rather than as a broken
/// problem line.
PuzzleLineForm puzzleLineForm(std::string_view line);

/// Reads one line of puzzle input, a problem line, a game ID or a link, into `puzzle`. A
/// game ID or link gives difficulty 0. An island whose number the link leaves open is
/// taken (as UNKNOWN_ISLAND) only with `unknownIslands`, and otherwise refused, naming it.
/// On failure `err`, when given, holds the reason as a message shows it after the place:
/// "not a problem line: ...", "not a game ID: ...", "not a puzz.link link: ..." or
/// "neither a problem line (difficulty/height/width/rows) nor a game ID (WxH:description)"
/// (a link is told by its '?').
bool readPuzzleLine(Puzzle& puzzle, std::string_view line, std::string* err = nullptr,
                    bool unknownIslands = false);

/// Files that hold puzzles not line by line but whole, told by their first line that is
/// not blank.
enum class PuzzleFileForm {
    Lines,      ///< one problem line, game ID or link a line
    PencilBox,  ///< the pencil-box text: a row count alone on the first line
    Benchmark,  ///< a file of the published benchmark set: "rows columns islands"
};

PuzzleFileForm puzzleFileForm(std::string_view firstLine);

/// A puzzle of a whole file and the 1-based line it starts at.
struct FilePuzzle {
    Puzzle puzzle;
    long line = 0;
};

/// Reads a file of a whole-file form whose first non-blank line, `firstLine` (line number
/// `firstLineNumber`), has been read already, and the rest of `file` up to the format's
/// bound. Islands whose number is not given as with readPuzzleLine. On failure `errLine`
/// and `err` say where and why ("not a pencil-box file: ...", "not a benchmark file: ...",
/// "read error: ...").
bool readPuzzleFile(PuzzleFileForm form, std::string_view firstLine, long firstLineNumber,
                    std::FILE* file, std::vector<FilePuzzle>& puzzles, long& errLine,
                    std::string& err, bool unknownIslands = false);

/// Why a puzzle with an island whose number is not given is refused, naming the first
/// such island; empty when it has none.
std::string unknownIslandFault(const Puzzle& puzzle);

}  // namespace spanwright
