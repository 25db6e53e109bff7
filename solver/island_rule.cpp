#include "solver/island_rule_table.h"
#include "solver/rules.h"

namespace spanwright {

int applyIslandRule(SolverBoard& board, int pos) {
    const std::uint32_t lineIndex = board.lineIndex(pos);
    const auto old = [lineIndex](int dir) {
        return std::uint8_t((lineIndex >> (6 - 2 * dir)) & 3);
    };
    const std::uint8_t code = board.cells[pos];

    if (code == ISLAND_BASE) {
        // A complete island takes no more bridges: whatever is still possible on its lines
        // is closed empty, even a line that claimed one or two.
        if (lineIndex == 0) return 0;
        int changed = 0;
        for (int dir = 0; dir < 4; ++dir) {
            if (old(dir) == LINE_CLOSED) continue;
            if (dir < 2)
                board.clearHorizontalRun(pos + board.step(dir));
            else
                board.clearVerticalRun(pos + board.step(dir));
            ++changed;
        }
        return changed;
    }

    const std::uint32_t entry = ISLAND_RULE_TABLE[code - ISLAND_BASE - 1][lineIndex];
    if (entry == RULE_CONTRADICTION) {
        board.contradiction = 1;
        return 0;
    }
    if (entry == lineIndex) return 0;

    // Every decision comes from the states read above: a change on one side never alters
    // another line of this island, but it does lower the island's code.
    int changed = 0;
    for (int dir = 0; dir < 4; ++dir) {
        const std::uint8_t state = std::uint8_t((entry >> (6 - 2 * dir)) & 3);
        if (state == old(dir)) continue;
        const int count = int((entry >> (14 - 2 * dir)) & 3);
        board.setLine(pos, dir, state, count);
        ++changed;
    }
    return changed;
}

}  // namespace spanwright
