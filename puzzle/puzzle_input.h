#pragma once

#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Which form a line of puzzle input took.
enum class PuzzleLineForm {
    ProblemLine,  ///< difficulty/height/width/row/.../row/
    GameId,       ///< WxH:description, as the collection's apps pass boards around
    Neither,
};

/// The form of `line`: a problem line holds a '/', a game ID a ':' (or the '#' of a
/// random-seed ID, which is refused with its own reason) and no '/'. Anything else is
/// neither, and is refused as such rather than as a broken problem line.
PuzzleLineForm puzzleLineForm(std::string_view line);

/// Reads one line of puzzle input, a problem line or a game ID, into `puzzle`. A game ID
/// gives difficulty 0. On failure `err`, when given, holds the reason as a message shows
/// it after the place: "not a problem line: ...", "not a game ID: ..." or "neither a
/// problem line (difficulty/height/width/rows) nor a game ID (WxH:description)".
bool readPuzzleLine(Puzzle& puzzle, std::string_view line, std::string* err = nullptr);

}  // namespace spanwright
