#include "solver/island_rule_table.h"
#include "solver/rules.h"

namespace spanwright {
namespace {

/// The line state of direction dir in a lineIndex.
std::uint8_t oldState(std::uint32_t lineIndex, int dir) {
    return std::uint8_t((lineIndex >> (6 - 2 * dir)) & 3);
}

// Most visits change nothing. The two paths that do change lines stay out of line, so that
// a visit that only looks up its entry pays for no saved registers.

/// A complete island takes no more bridges: whatever is still possible on its lines is
/// closed empty, even a line that claimed one or two.
[[gnu::noinline]] int closeCompleteIsland(SolverBoard& board, int pos, std::uint32_t lineIndex) {
    int changed = 0;
    for (int dir = 0; dir < 4; ++dir) {
        if (oldState(lineIndex, dir) == LINE_CLOSED) continue;
        if (dir < 2)
            board.clearHorizontalRun(pos + board.step(dir));
        else
            board.clearVerticalRun(pos + board.step(dir));
        ++changed;
    }
    return changed;
}

/// Every decision comes from the states read before: a change on one side never alters
/// another line of this island, but it does lower the island's code. Only the lines whose
/// state changes are visited, in the order left, right, up, down, which puts the highest
/// changed bit first.
[[gnu::noinline]] int narrowLines(SolverBoard& board, int pos, std::uint32_t lineIndex,
                                  std::uint32_t entry) {
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

}  // namespace

int applyIslandRule(SolverBoard& board, int pos) {
    const std::uint32_t lineIndex = board.lineIndex(pos);
    const std::uint8_t code = board.cells[pos];
    if (code == ISLAND_BASE) return lineIndex == 0 ? 0 : closeCompleteIsland(board, pos, lineIndex);

    const std::uint32_t entry = ISLAND_RULE_TABLE[code - ISLAND_BASE - 1][lineIndex];
    if (entry == RULE_CONTRADICTION) {
        board.contradiction = 1;
        return 0;
    }
    if (entry == lineIndex) return 0;
    return narrowLines(board, pos, lineIndex, entry);
}

}  // namespace spanwright
