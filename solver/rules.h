#pragma once

#include "solver/board.h"
#include "solver/island_rule_table.h"

namespace spanwright {

/// The fewest groups at which the pair rule can find anything: it keeps groups from sealing
/// each other off, and with two groups or fewer joining them is exactly what must happen.
inline constexpr int PAIR_RULE_MIN_GROUPS = 3;
/// The fewest groups at which the isolation rule can: it keeps an island's group and two
/// neighbouring groups from closing into one finished part while another is left outside.
inline constexpr int ISOLATION_MIN_GROUPS = 4;

/// Closes every line of the complete island at pos that is not closed yet, given the
/// states of its lines as SolverBoard::lineIndex gives them. Returns the number changed.
int closeCompleteIsland(SolverBoard& board, int pos, std::uint32_t lineIndex);

/// Sets the lines of the island at pos from their states in lineIndex to those of entry,
/// an entry of ISLAND_RULE_TABLE that differs. Returns the number of lines changed.
int narrowIslandLines(SolverBoard& board, int pos, std::uint32_t lineIndex, std::uint32_t entry);

/// Narrows the four lines of the island at pos by one lookup in ISLAND_RULE_TABLE, laying
/// the bridges that are certain; closes every line left at a complete island. Raises the
/// board's contradiction when no assignment fits. Returns the number of lines changed.
/// Most visits of a sweep change nothing, so that test is inline and the paths that change
/// lines are not.
inline int applyIslandRule(SolverBoard& board, int pos) {
    const std::uint32_t lineIndex = board.lineIndex(pos);
    const std::uint8_t code = board.cells[std::size_t(pos)];
    if (code == ISLAND_BASE) return lineIndex == 0 ? 0 : closeCompleteIsland(board, pos, lineIndex);

    const std::uint32_t entry = ISLAND_RULE_TABLE[code - ISLAND_BASE - 1][lineIndex];
    if (entry == RULE_CONTRADICTION) {
        board.contradiction = 1;
        return 0;
    }
    if (entry == lineIndex) return 0;
    return narrowIslandLines(board, pos, lineIndex, entry);
}

/// Keeps two islands that are each the last open island of their group, and need the same
/// one or two bridges, from spending them on each other and sealing both groups off.
/// Returns the number of lines changed.
int applyPairRule(SolverBoard& board, int pos);

/// The pair rule for the line above (step -W) or below (step +W) the island.
bool applyVerticalPairRule(SolverBoard& board, int pos, int step, int demand);

/// Keeps the last open island of a nearly finished group from closing its group and two
/// neighbouring groups into one finished part while other groups are left outside.
/// Returns 1 when it changed a line, else 0.
int applyIsolationRule(SolverBoard& board, int pos);

/// The isolation rule for an island whose closed line is horizontal: the straight line is
/// horizontal (step +1 or -1), the sides are up and down.
bool applyIsolationRuleH(SolverBoard& board, int pos, int step, std::uint8_t straight,
                         std::uint8_t firstSide, std::uint8_t secondSide, int demand);

/// The isolation rule for an island whose closed line is vertical: the straight line is
/// vertical (step +W or -W), the sides are left and right.
bool applyIsolationRuleV(SolverBoard& board, int pos, int step, std::uint8_t straight,
                         std::uint8_t firstSide, std::uint8_t secondSide, int demand);

/// What the island at the far end of the line from pos in direction dir (0 left, 1 right,
/// 2 up, 3 down) can still take: its group's demand when it is the group's only open
/// island, otherwise NEVER_COMPLETES.
int neighbourValue(const SolverBoard& board, int pos, int dir);

}  // namespace spanwright
