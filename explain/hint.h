#pragma once
// A hint for a game in progress that always moves the game on: it starts from everything
// the player's board shows (the bridges laid, lines marked empty, islands marked
// finished), and gives the easiest step whose result the board does not show yet, with
// the moves that show it. A wrong bridge or mark comes first, to be taken back.

#include <string>
#include <utility>
#include <vector>

#include "explain/explain.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::explain {

/// What a player's board shows.
struct PlayerBoard {
    Solution laid;  ///< bridges laid, in Solution order
    /// Lines marked as holding no bridge (the ends of each; the count is not used).
    std::vector<Bridge> markedEmpty;
    std::vector<std::pair<int, int>> markedFinished;  ///< islands (row, column)
};

struct Hint {
    enum class Kind {
        Step,      ///< `step` (after the steps of `unseen`) and the moves that show it
        TakeBack,  ///< `wrong` names what to take back; `moves` do it
        Reveal,    ///< no step reaches further: `moves` lay one bridge of the solution
        Solved,    ///< every bridge of the solution is laid; nothing to do
    } kind = Kind::Solved;
    /// Steps the board cannot show (a line that carries at most one bridge) that the step
    /// rests on, in order.
    std::vector<Step> unseen;
    Step step;
    /// For a trial: the steps that follow from its supposition, up to the contradiction.
    std::vector<Step> chain;
    std::vector<std::string> wrong;  ///< one sentence per wrong bridge or mark
    /// The lines of `wrong` that are bridges or empty marks, as the board shows them: a
    /// bridge with the count laid, a line marked empty with 0 (islands marked finished
    /// are in the sentences only).
    Solution wrongLines;
    /// The moves that carry the hint out on the board, as the peer's game writes them
    /// in its MOVE records (columns before rows): "Lx1,y1,x2,y2,n" lays n bridges,
    /// "Nx1,y1,x2,y2" marks or unmarks a line as empty, "Mx,y" marks or unmarks an island
    /// as finished.
    std::vector<std::string> moves;
    /// The board after the moves.
    PlayerBoard after;
};

/// The hint for `board` on `puzzle`, whose only solution is `solution`.
Hint nextHint(const Puzzle& puzzle, const Solution& solution, const PlayerBoard& board);

}  // namespace spanwright::explain
