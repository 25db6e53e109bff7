#pragma once

// Game IDs of the Bridges game of Simon Tatham's Portable Puzzle Collection, the form in
// which its apps (desktop, web, phones) pass boards around: "WxHm2:DESC", width first.
// DESC runs over the whole board row by row from the top left: a letter "a" to "z" stands
// for 1 to 26 water cells, a digit for an island that needs that many bridges. Runs of
// water may cross the end of a row.

#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Smallest side and fewest islands the collection's apps open a board with.
inline constexpr int GAME_ID_MIN_SIDE = 3;
inline constexpr int GAME_ID_MIN_ISLANDS = 2;

/// Reads a game ID into `puzzle` (difficulty 0). Takes the short parameters "WxHm2" and
/// the long ones the collection writes beside a board ("WxHi30e10m2d2"), and "W" alone
/// for a square board. Refuses, with the reason in `err`: IDs under rules other than ours
/// (a bridge limit other than 2, "m1" to "m4", or the no-loops rule "L"), random-seed IDs
/// ("PARAMS#seed", which name no board), sides outside 1 to MAX_BOARD_SIDE, islands that
/// need more than 8 bridges, unknown characters, and descriptions that do not cover the
/// board exactly. The ID is taken as it stands: no white space around or inside it.
bool parseGameId(Puzzle& puzzle, std::string_view id, std::string* err);

/// Writes `puzzle` as a short game ID ("WxHm2:DESC", no line end) into `id`. Refuses,
/// with the reason in `err`, the boards the collection's apps will not open: a side below
/// GAME_ID_MIN_SIDE, fewer than GAME_ID_MIN_ISLANDS islands, or two islands side by side.
bool formatGameId(const Puzzle& puzzle, std::string& id, std::string* err);

}  // namespace spanwright
