#pragma once

// Games saved by the Bridges program of Simon Tatham's Portable Puzzle Collection: the
// board and the bridges a player has laid so far, so that a game in progress can be
// checked and given a hint.
//
// A save is a list of records, one a line: an eight-character key padded with blanks, the
// length of the value in bytes, and the value ("DESC    :20:4a3b2h2l12a6b4h3a6c3"). The
// first is SAVEFILE, then GAME ("Bridges"), PARAMS and DESC (together a game ID), NSTATES
// (the states of the undo history, the blank board included) and STATEPOS (the state on
// the board, from 1; later states are moves that were undone and can be redone). Each
// state after the first has a record: MOVE (what the player did), SOLVE (the program's
// solution laid at once) or RESTART (back to the blank board). A MOVE or SOLVE value is
// one or more moves joined by ';', with columns before rows:
//   L x1,y1,x2,y2,n   the line between two islands now holds n bridges (0 to 2)
//   N x1,y1,x2,y2     the player marks a line as holding no bridge, or unmarks it
//   M x,y             the player marks an island as finished, or unmarks it
//   S                 the position came from the program's solver
// Marks do not change the bridges; the marks standing at the saved position are kept, so
// that a hint can start from all the player knows.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright {

/// Largest save file read. A 125 x 125 game with a long history stays far below it; a
/// larger input is not a save, and reading it whole would let an endless one take all memory.
inline constexpr std::size_t MAX_PEER_SAVE_SIZE = std::size_t(16) << 20;

/// A game in progress.
struct PeerSave {
    Puzzle puzzle;         ///< the blank board (difficulty 0)
    Solution laid;         ///< the bridges on the board at the saved position, in Solution order
    Solution markedEmpty;  ///< lines marked as holding no bridge (bridges 0), in Solution order
    std::vector<std::pair<int, int>> markedFinished;  ///< islands marked finished (row, column)
    long boardLine = 0;  ///< the line of the DESC record, which names the board
};

/// Why a save was refused, and on which line of it.
struct PeerSaveFault {
    long line = 0;  ///< from 1
    std::string message;
};

/// True when `text` starts as every save file does, with its SAVEFILE record.
bool looksLikePeerSave(std::string_view text);

/// Reads a whole save file. Returns false, with the line and the reason in `fault` when
/// given, for anything that is not a Bridges save this system can take: a damaged record,
/// another game, rules other than ours, a move that is not on the board, a history that does
/// not add up. The text may hold NUL bytes; it is read only within its bounds.
bool parsePeerSave(std::string_view text, PeerSave& save, PeerSaveFault* fault = nullptr);

}  // namespace spanwright
