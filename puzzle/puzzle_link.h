#pragma once

// Links of the pencil-puzzle editor at puzz.link (and its older home pzv.jp), the form in
// which hand-made bridge puzzles are posted: "https://puzz.link/p?hashikake/COLS/ROWS/BODY".
// BODY runs over the board row by row from the top left: a hex digit is an island of that
// number, "-" with two hex digits or "+" with three a larger number (refused here: no
// island takes more than 8 bridges), "." an island whose number is not given, and a letter
// "g" to "z" a run of 1 to 20 water cells.

#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// The puzzle kinds the editor names bridge puzzles by; links are written with the first.
inline constexpr std::string_view LINK_KINDS[] = {"hashikake", "hashi", "bridges"};

/// Whether `text` is meant as a link: it has a '?' followed by a puzzle kind (a small
/// letter), which no problem line or game ID has, so that a broken link is refused as a
/// link.
bool looksLikeLink(std::string_view text);

/// Reads a link into `puzzle` (difficulty 0). Takes the full link, with or without
/// "https://" or "http://", on puzz.link or pzv.jp ("/p", "/p.html"), and the short forms
/// "p?hashikake/..." and "?hashikake/...". White space around the link is passed over.
/// An island whose number is not given becomes UNKNOWN_ISLAND. Refuses, with the reason in
/// `err`: other hosts and puzzle kinds, sides outside 1 to MAX_BOARD_SIDE, islands of 0 or
/// more than 8, unknown characters, and bodies that do not cover the board exactly.
bool parsePuzzleLink(Puzzle& puzzle, std::string_view text, std::string* err);

/// `puzzle` as a full link, "https://puzz.link/p?hashikake/COLS/ROWS/BODY", no line end.
std::string formatPuzzleLink(const Puzzle& puzzle);

/// The first cell holding UNKNOWN_ISLAND, or -1.
int firstUnknownIsland(const Puzzle& puzzle);

/// "row R, column C", counted from 1, for messages about a cell.
std::string cellPlace(const Puzzle& puzzle, int cell);

}  // namespace spanwright
