#include "solver/rules.h"

namespace spanwright {

// A complete island takes no more bridges: whatever is still possible on its lines is
// closed empty, even a line that claimed one or two.
int closeCompleteIsland(SolverBoard& board, int pos, std::uint32_t lineIndex) {
    int changed = 0;
    for (int dir = 0; dir < 4; ++dir) {
        if (((lineIndex >> (6 - 2 * dir)) & 3) == LINE_CLOSED) continue;
        if (dir < 2)
            board.clearHorizontalRun(pos + board.step(dir));
        else
            board.clearVerticalRun(pos + board.step(dir));
        ++changed;
    }
    return changed;
}

// Every decision comes from the states read before: a change on one side never alters
// another line of this island, but it does lower the island's code. Only the lines whose
// state changes are visited, in the order left, right, up, down, which puts the highest
// changed bit first.
int narrowIslandLines(SolverBoard& board, int pos, std::uint32_t lineIndex, std::uint32_t entry) {
    int changed = 0;
    for (std::uint32_t moved = (entry ^ lineIndex) & 0xFF; moved != 0; ++changed) {
        const int dir = 3 - (31 - __builtin_clz(moved)) / 2;
        const int shift = 6 - 2 * dir;
        board.setLine(pos, dir, std::uint8_t((entry >> shift) & 3),
                      int((entry >> (8 + shift)) & 3));
        moved &= ~(3U << shift);
    }
    return changed;
}

}  // namespace spanwright
