#pragma once

#include <cstdint>
#include <vector>

#include "puzzle/puzzle.h"
#include "solver/board_index.h"

namespace spanwright {

// Cell codes of the solver's board. An island holds ISLAND_BASE + the bridges it still
// needs, so code 5 is a complete island; every code other than WATER ends a line.
inline constexpr std::uint8_t WATER = 0;
inline constexpr std::uint8_t H_SINGLE = 1;
inline constexpr std::uint8_t H_DOUBLE = 2;
inline constexpr std::uint8_t V_SINGLE = 3;
inline constexpr std::uint8_t V_DOUBLE = 4;

// Line states: how many bridges a line may still take. A LineMask holds the state of the
// horizontal line through a water cell in bits 0-1 and of the vertical one in bits 2-3.
inline constexpr std::uint8_t LINE_CLOSED = 0;
inline constexpr std::uint8_t LINE_ONE_OR_TWO = 1;
inline constexpr std::uint8_t LINE_ZERO_OR_ONE = 2;
inline constexpr std::uint8_t LINE_OPEN = 3;
inline constexpr std::uint8_t H_LINE_BITS = 0x03;
inline constexpr std::uint8_t V_LINE_BITS = 0x0C;
static_assert(MAX_BRIDGES_PER_LINE == 2,
              "a line state is two bits (closed, one or two, zero or one, open), the cell codes "
              "have a single and a double bridge each way, and the island rule's table and "
              "the trial search take their counts from 0 to 2");

// The couplings between the board and the rules that read it. The pair rule acts on a
// lone island whose group needs at most PAIR_DEMAND bridges, the isolation rule on one
// needing at most ISOLATION_DEMAND; the board's lone set holds the islands of both. In the
// isolation rule's sums a far group that is not lone counts as NEVER_COMPLETES: added to
// the demand of a lone group (at least 1 while nothing is over-bridged) it exceeds every
// demand the rule acts on.
inline constexpr int PAIR_DEMAND = 2;
inline constexpr int ISOLATION_DEMAND = 4;
inline constexpr int NEVER_COMPLETES = ISOLATION_DEMAND;
static_assert(PAIR_DEMAND <= ISOLATION_DEMAND,
              "the lone set must hold every island the pair rule acts on");
static_assert(NEVER_COMPLETES + 1 > ISOLATION_DEMAND,
              "a group that is not lone must never complete an isolation sum");
static_assert(2 * ISOLATION_DEMAND <= 0x7FFF, "group demands are kept in 16 bits");

inline std::uint8_t horizontalState(std::uint8_t mask) {
    return mask & H_LINE_BITS;
}
inline std::uint8_t verticalState(std::uint8_t mask) {
    return (mask & V_LINE_BITS) >> 2;
}

/// Visits the interior cells of a bordered plane of width x height cells row by row from
/// the top, each row from the left: the order every sweep and scan of this system uses.
template <typename Visit>
void forEachInteriorCell(int width, int height, Visit&& visit) {
    for (int r = 1; r < height - 1; ++r)
        for (int pos = r * width + 1, end = r * width + width - 1; pos < end; ++pos)
            visit(pos);
}

/// Islands joined by laid bridges.
struct IslandGroup {
    std::int16_t demand = 0;           ///< bridge ends still missing at the group's islands
    std::int16_t openIslands = 0;      ///< islands of the group that still need bridges
    std::int16_t standingIslands = 0;  ///< islands of the group not over-bridged (code >= base)
    /// The cells of the islands counted in openIslands, xor-ed: while there is one such
    /// island, its cell.
    std::uint16_t openCellsXor = 0;
    std::uint16_t readerHead = NO_ISLAND;  ///< a member in the group's reader circle
};

/// The solver's whole state for one puzzle: the puzzle with a one-cell water border, the
/// line state of every water cell, the group of every island and the group records. All
/// planes are flat and row-major; cell (r, c) is r * width + c. The board owns its planes
/// and frees them when it goes. It copies and moves like any value (the tests copy boards,
/// the trial search swaps them); copyFrom is the copy between boards of one size that
/// allocates nothing.
///
/// Beside the planes the board keeps the incremental index of BoardIndex (island list,
/// far ends, island sets, member circles, running totals). Only the primitives below
/// change the board, and each of them keeps the index up to date.
struct SolverBoard : BoardIndex {
    std::int8_t width = 0;   ///< bordered width W
    std::int8_t height = 0;  ///< bordered height H
    std::uint8_t contradiction = 0;
    std::vector<std::uint8_t> cells;
    std::vector<std::uint8_t> masks;
    std::vector<std::uint16_t> groupIds;
    std::vector<IslandGroup> groups;
    std::uint16_t liveGroups = 0;

    int stride() const { return width; }
    int cellCount() const { return int(width) * int(height); }

    /// Sizes the board to W x H and zero-fills all planes.
    void allocate(int borderedWidth, int borderedHeight);
    /// Builds the board from a puzzle of 1 to 125 columns and rows.
    void loadPuzzle(const Puzzle& puzzle);
    /// Loads a bordered plane of W x H codes into a board already allocated at that size.
    void loadPlane(const std::uint8_t* plane);
    /// Copies every plane and flag of a board of the same size, without allocating.
    void copyFrom(const SolverBoard& other);
    /// Opens every line between two islands and gives each island a group of its own.
    void scanLines();
    /// Gives a board fresh from scanLines the island codes of `plane`, a bordered plane of
    /// the same size with islands on exactly the same cells, each needing as many or more
    /// bridges: the board that loading and scanning `plane` would give, since which lines
    /// open depends only on where the islands needing bridges are.
    void recodeIslands(const std::uint8_t* plane);
    /// Lays n bridges between the islands at posA and posB and merges their groups.
    void layBridges(int posA, int posB, int n);
    /// Sets the state of the whole horizontal line through water cell pos; with state
    /// LINE_CLOSED and a count, lays that many bridges along it.
    void setHorizontalLine(int pos, std::uint8_t state, int count);
    /// The same for the vertical line through pos.
    void setVerticalLine(int pos, std::uint8_t state, int count);
    /// Every island complete and all of them one group.
    bool isSolved() const;
    /// The board can no longer lead to a solution.
    bool isRefuted() const;

    /// Clears the horizontal state of the run of water cells through pos (cells stay water).
    void clearHorizontalRun(int pos);
    /// Clears the vertical state of the run of water cells through pos.
    void clearVerticalRun(int pos);

    /// Recounts every part of the index (BoardIndex) and every group record from the
    /// planes and aborts the program, naming the broken invariant, when one disagrees.
    void checkInvariants() const;

    /// Cell step of direction dir: 0 left, 1 right, 2 up, 3 down.
    int step(int dir) const {
        const int w = stride();
        return dir == 0 ? -1 : dir == 1 ? 1 : dir == 2 ? -w : w;
    }
    /// State of the line that leaves the island at pos in direction dir, read from the
    /// neighbour cell: horizontal bits for left and right, vertical bits for up and down.
    std::uint8_t lineState(int pos, int dir) const {
        const std::uint8_t mask = masks[pos + step(dir)];
        return dir < 2 ? horizontalState(mask) : verticalState(mask);
    }
    /// The states of the four lines of the island at pos in one number, two bits each:
    /// left in bits 7-6, right 5-4, up 3-2, down 1-0.
    std::uint32_t lineIndex(int pos) const {
        const std::uint8_t* around = masks.data() + pos;
        const int w = stride();
        return std::uint32_t(horizontalState(around[-1]) << 6 | horizontalState(around[1]) << 4 |
                             verticalState(around[-w]) << 2 | verticalState(around[w]));
    }
    /// Sets the line that leaves the island at pos in direction dir.
    void setLine(int pos, int dir, std::uint8_t state, int count) {
        if (dir < 2)
            setHorizontalLine(pos + step(dir), state, count);
        else
            setVerticalLine(pos + step(dir), state, count);
    }

    /// Visits the interior cells row by row from the top, each row from the left.
    template <typename Visit>
    void forEachInterior(Visit&& visit) const {
        forEachInteriorCell(width, height, visit);
    }

    // The walks below read their sets afresh at each step: an island that leaves a set
    // before its turn is passed over, one that joins it ahead of the walk is visited, as
    // a walk over every island testing the set's condition would find them.

    /// Visits the dirty islands in the interior's order for the island rule, taking each
    /// out of the set after its visit. That keeps fact 7: the rule narrows its island's
    /// lines to exactly what the table allows and lays exactly the bridges that are
    /// certain, so run again it would find nothing, and what it changed at its own island
    /// needs no second look. The far ends it changed are marked as usual.
    template <typename Visit>
    void forEachDirtyIsland(Visit&& visit) {
        for (int i = dirty_.next(0); i >= 0; i = dirty_.next(i + 1)) {
            visit(int(islands_[std::size_t(i)]));
            dirty_.erase(std::size_t(i));
        }
    }

    /// Visits the lone islands in the pair-dirty set in the interior's order, taking each
    /// out of the set after its visit: the pair rule only narrows lines to a state it no
    /// longer tries and lays no bridge, so run again it would find nothing.
    template <typename Visit>
    void forEachPairCandidate(Visit&& visit) {
        flushReaders();
        for (int i = lone_.nextAlsoIn(pairDirty_, 0); i >= 0;
             i = lone_.nextAlsoIn(pairDirty_, i + 1)) {
            visit(int(islands_[std::size_t(i)]));
            pairDirty_.erase(std::size_t(i));
        }
    }

    /// Visits the lone islands in the isolation-dirty set in the interior's order, taking
    /// each out before its visit: a bridge the rule lays changes the island's own group,
    /// and a line it forces leaves the other pairs to try, so its flag set again during the
    /// visit must stay for the next pass.
    template <typename Visit>
    void forEachIsolationCandidate(Visit&& visit) {
        flushReaders();
        for (int i = lone_.nextAlsoIn(isolationDirty_, 0); i >= 0;
             i = lone_.nextAlsoIn(isolationDirty_, i + 1)) {
            isolationDirty_.erase(std::size_t(i));
            visit(int(islands_[std::size_t(i)]));
            flushReaders();
        }
    }

    /// Flags the island at pos, if pos is one, for the next walk of every rule.
    void markDirty(int pos) {
        const std::uint16_t index = islandIndex_[std::size_t(pos)];
        if (index != NO_ISLAND) markIsland(index);
    }
    /// Flags the island with that index for the next walk of every rule. The three sets
    /// have one length, so one word offset serves all three.
    void markIsland(std::size_t index) {
        const std::size_t word = index >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (index & 63);
        dirty_.words[word] |= bit;
        pairDirty_.words[word] |= bit;
        isolationDirty_.words[word] |= bit;
    }

  private:
    /// Sets the line through water cell pos along one axis (vertical or not): one walk
    /// each way over the water cells of the run, closing the crossing runs of the other
    /// axis when the line is known to carry a bridge, then the ends.
    template <bool Vertical>
    void setRunLine(int pos, std::uint8_t state, int count);
    /// Clears the state along one axis of the run of water cells through pos.
    template <bool Vertical>
    void clearRun(int pos);

    // The steps of layBridges, in their order.
    /// Takes the groups with ids a and b out of the totals and the lone set.
    void uncountGroups(std::uint16_t a, std::uint16_t b);
    /// Merges the groups of the islands at posA and posB (ids a and b, which differ) into
    /// the one with the smaller id and returns it.
    std::uint16_t mergeGroups(int posA, int posB, std::uint16_t a, std::uint16_t b);
    /// Lowers the codes of the two end islands by n and moves them in the totals and the
    /// group's counts.
    void lowerIslandCodes(int posA, int posB, int n, IslandGroup& group);
    /// Counts the group with id `survivor` back in, lists its lone island and notes it for
    /// its readers when they can see a change.
    void recountGroup(std::uint16_t survivor);

    /// Empties what a scan builds (island list, sets, far ends, totals) for a new one.
    void forgetScan();
    /// Builds the island list and the member circles of single islands.
    void listIslands();
    /// Opens the cells strictly between the islands at `from` and `to` (step 1 or W) and
    /// records the far ends of the lines along the run.
    void openRun(int from, int to, int step);
    /// Sets the flags (all of them), the lone islands and the totals after the scan.
    void countIslands();
    /// Adds the island at pos to the totals.
    void countIsland(int pos);
    /// Moves the island at pos, whose code went from `before` to its code now, in the
    /// totals and in its group's count of standing islands. Called twice per bridge laid,
    /// so kept inline.
    void recountIsland(int pos, int before, IslandGroup& group) {
        if (before < ISLAND_BASE) return;
        const int after = cells[std::size_t(pos)];
        if (after > ISLAND_BASE) {  // still unfinished, as most islands are
            totals_.missing -= before - after;
            return;
        }
        if (before > ISLAND_BASE) {
            --totals_.unfinished;
            unfinished_.erase(islandIndex_[std::size_t(pos)]);
        }
        totals_.complete += int(after == ISLAND_BASE) - int(before == ISLAND_BASE);
        totals_.missing -= before - (after < ISLAND_BASE ? ISLAND_BASE : after);
        if (after < ISLAND_BASE) group.standingIslands = std::int16_t(group.standingIslands - 1);
    }
    /// Takes the open island of group id out of `lone`, if the group has one open island.
    void unlistLoneIsland(std::uint16_t id) {
        const IslandGroup& group = groups[id];
        if (group.openIslands == 1) lone_.erase(islandIndex_[group.openCellsXor]);
    }
    /// Puts the open island of group id into `lone`, flagged for both rules, when it
    /// belongs there.
    void listLoneIsland(std::uint16_t id) {
        const IslandGroup& group = groups[id];
        if (group.openIslands != 1 || group.demand < 1 || group.demand > ISOLATION_DEMAND ||
            cells[group.openCellsXor] <= ISLAND_BASE)
            return;
        const std::uint16_t index = islandIndex_[group.openCellsXor];
        lone_.insert(index);
        markReader(index);
    }
    /// Flags the island with that index for the pair and isolation rules; the two sets
    /// have one length, so one word offset serves both.
    void markReader(std::size_t index) {
        const std::size_t word = index >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (index & 63);
        pairDirty_.words[word] |= bit;
        isolationDirty_.words[word] |= bit;
    }
    /// Flags the readers of every group in changedGroups and empties it.
    void flushReaders();
    /// Flags for both rules the islands at the far ends of the open lines of every member
    /// of group id, and drops the members without open lines from the group's reader
    /// circle.
    void markReaders(std::uint16_t id);
    /// Flags the far ends of the open lines of the island at pos; false when it has none.
    bool markFarEnds(int pos);
    /// Takes group id out of the totals, or puts it back in.
    void countGroup(std::uint16_t id, int sign) {
        const IslandGroup& group = groups[id];
        const bool closed =
            (group.demand == 0 || group.openIslands == 0) && group.standingIslands > 0;
        totals_.closedGroups += sign * closed;
        totals_.negativeGroups += sign * (group.demand < 0);
    }
};

}  // namespace spanwright
