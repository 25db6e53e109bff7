#pragma once

#include <cstdint>
#include <vector>

#include "puzzle/puzzle.h"

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

/// Group id that names no group.
inline constexpr std::uint16_t NO_GROUP = 0xFFFF;

/// Island index that names no island.
inline constexpr std::uint16_t NO_ISLAND = 0xFFFF;

/// Islands joined by laid bridges.
struct IslandGroup {
    std::int16_t demand = 0;           ///< bridge ends still missing at the group's islands
    std::int16_t openIslands = 0;      ///< islands of the group that still need bridges
    std::int16_t standingIslands = 0;  ///< islands of the group not over-bridged (code >= base)
    /// The cells of the islands counted in openIslands, xor-ed: while there is one such
    /// island, its cell.
    std::uint16_t openCells = 0;
    std::uint16_t readerHead = NO_ISLAND;  ///< a member in the group's reader circle
};

/// The links of an island cell in the two circles through the islands of its group.
struct MemberLinks {
    std::uint16_t member = 0;  ///< the next island of the group
    /// The next island of the group in a second circle that drops, when a walk finds
    /// them, members whose four lines are all closed. Lines never open again, and a bridge
    /// is only laid on a line that was open, so both ends of a new bridge are always still
    /// in their circles and the two circles can be spliced there.
    std::uint16_t reader = 0;
};

/// A set of island indices, one bit each, read in index order.
struct IslandSet {
    std::vector<std::uint64_t> words;

    /// Sizes the set for `count` islands, all of them in it or none.
    void reset(std::size_t count, bool full);
    /// Takes the members of `other`. Sets of boards with the same islands are a word or
    /// a few long, so a plain loop beats a call to copy them.
    void copyFrom(const IslandSet& other) {
        if (words.size() != other.words.size()) {
            words.assign(other.words.begin(), other.words.end());
            return;
        }
        for (std::size_t i = 0; i < words.size(); ++i)
            words[i] = other.words[i];
    }
    void insert(std::size_t i) { words[i >> 6] |= std::uint64_t{1} << (i & 63); }
    void erase(std::size_t i) { words[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }
    bool contains(std::size_t i) const { return (words[i >> 6] >> (i & 63)) & 1; }
    /// The first member at `from` or after it, or -1 when there is none.
    int next(int from) const {
        std::size_t word = std::size_t(from) >> 6;
        if (word >= words.size()) return -1;
        std::uint64_t bits = words[word] & (~std::uint64_t{0} << (from & 63));
        while (bits == 0) {
            if (++word == words.size()) return -1;
            bits = words[word];
        }
        return int(word * 64) + __builtin_ctzll(bits);
    }
    /// The first member at `from` or after it that is in `other` too, or -1.
    int nextAlsoIn(const IslandSet& other, int from) const {
        std::size_t word = std::size_t(from) >> 6;
        if (word >= words.size()) return -1;
        std::uint64_t bits = words[word] & other.words[word] & (~std::uint64_t{0} << (from & 63));
        while (bits == 0) {
            if (++word == words.size()) return -1;
            bits = words[word] & other.words[word];
        }
        return int(word * 64) + __builtin_ctzll(bits);
    }
};

/// Counts over the islands and groups, kept up to date by scanLines and layBridges (the
/// only places that change a code or a group) so that isSolved and isRefuted need no scan.
struct IslandTotals {
    std::int32_t unfinished = 0;  ///< islands whose code is above ISLAND_BASE
    std::int32_t complete = 0;    ///< islands whose code is exactly ISLAND_BASE
    std::int32_t missing = 0;     ///< bridges still missing at islands not over-bridged
    std::int32_t demand = 0;      ///< the demands of all groups added up
    std::int32_t closedGroups =
        0;  ///< groups with a standing island and no demand or no open island
    std::int32_t negativeGroups = 0;  ///< groups with a demand below zero
};

/// The solver's whole state for one puzzle: the puzzle with a one-cell water border, the
/// line state of every water cell, the group of every island and the group records. All
/// planes are flat and row-major; cell (r, c) is r * width + c. The board owns its planes
/// and frees them when it goes; it is never copied by value, only with copyFrom.
///
/// Beside the planes the board keeps what lets the rules skip work without changing a
/// result: the list of islands in scan order, the far ends of their lines, dirty flags
/// per island and rule, the lone islands, circular lists of the members of each group
/// and running totals. Only the primitives below change the
/// board, and each of them keeps these up to date.
struct SolverBoard {
    std::int8_t width = 0;   ///< bordered width W
    std::int8_t height = 0;  ///< bordered height H
    std::uint8_t contradiction = 0;
    std::vector<std::uint8_t> cells;
    std::vector<std::uint8_t> masks;
    std::vector<std::uint16_t> groupIds;
    std::vector<IslandGroup> groups;
    std::uint16_t liveGroups = 0;

    std::vector<std::uint16_t> islands;      ///< island cells in scan order, set by scanLines
    std::vector<std::uint16_t> islandIndex;  ///< per cell: its place in `islands`, or NO_ISLAND
    /// Per island cell: the next islands of its group in the member circles (see
    /// MemberLinks). Both circles of a cell sit side by side, so a copy moves them at once.
    std::vector<MemberLinks> links;
    /// Per island, four cells: the far end of each of its lines that was open at the scan.
    /// A line that is not closed runs over water only, and water becomes something else
    /// only on a closed line, so the far end of a line never moves while it is open.
    std::vector<std::uint16_t> farEnds;
    /// Names the contents of `islands`, `islandIndex` and `farEnds`, which only a scan
    /// writes: each scan takes a new stamp, so two boards with the same nonzero stamp hold
    /// the same three, and copyFrom need not copy them.
    std::uint64_t layoutStamp = 0;
    /// Islands whose code or one of whose four lines may have changed since their rule
    /// last ran. The invariant the sweeps rely on: the island rule of an island outside
    /// this set would find nothing, so passing it over changes nothing.
    IslandSet dirty;
    IslandSet unfinished;  ///< islands whose code is above ISLAND_BASE
    /// Unfinished islands that are the one open island of their group while the group
    /// still needs one to four bridges. The pair and isolation rules act only on such an
    /// island, so walking this set visits every island where they can do anything. Kept
    /// by layBridges, the only primitive that changes a group or a code, and by
    /// recodeIslands.
    IslandSet lone;
    /// Islands where the pair rule, or the isolation rule, may find something it did not
    /// find on its last visit. Both rules read only the island's own group, its four line
    /// states and the groups at the far ends of its open lines. So an island leaves a set
    /// only when its rule runs, and joins both when one of its lines changes (markDirty),
    /// when it becomes the lone island of its group (listLoneIsland) or when a group at
    /// the far end of one of its open lines changes while that group has one open island
    /// or had one before (markReaders: a group with more reads the same to both rules).
    IslandSet pairDirty;
    IslandSet isolationDirty;
    /// Ids of groups whose readers are still to be flagged. Flagging waits until a walk of
    /// the pair or isolation rule is about to start (or goes on after a visit that laid
    /// bridges), so a group that changes many times in an island sweep is walked once.
    /// A group merged away hands its entry to the group that takes it in.
    IslandSet changedGroups;
    IslandTotals totals;

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
    /// The island at the far end of the line that leaves the island at pos in direction
    /// dir, for a line that is not closed: the first cell past it that is not water, as
    /// recorded at the scan.
    int farIsland(int pos, int dir) const {
        return farEnds[std::size_t(islandIndex[std::size_t(pos)]) * 4 + std::size_t(dir)];
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
    /// out of the set after its visit. That keeps the invariant: the rule narrows its
    /// island's lines to exactly what the table allows and lays exactly the bridges that
    /// are certain, so run again it would find nothing, and what it changed at its own
    /// island needs no second look. The far ends it changed are marked as usual.
    template <typename Visit>
    void forEachDirtyIsland(Visit&& visit) {
        for (int i = dirty.next(0); i >= 0; i = dirty.next(i + 1)) {
            visit(int(islands[std::size_t(i)]));
            dirty.erase(std::size_t(i));
        }
    }

    /// Visits the lone islands (see `lone`) in the pair-dirty set in the interior's order,
    /// taking each out of the set after its visit: the pair rule only narrows lines to a
    /// state it no longer tries and lays no bridge, so run again it would find nothing.
    template <typename Visit>
    void forEachPairCandidate(Visit&& visit) {
        flushReaders();
        for (int i = lone.nextAlsoIn(pairDirty, 0); i >= 0; i = lone.nextAlsoIn(pairDirty, i + 1)) {
            visit(int(islands[std::size_t(i)]));
            pairDirty.erase(std::size_t(i));
        }
    }

    /// Visits the lone islands in the isolation-dirty set in the interior's order, taking
    /// each out before its visit: a bridge the rule lays changes the island's own group,
    /// and a line it forces leaves the other pairs to try, so its flag set again during the
    /// visit must stay for the next pass.
    template <typename Visit>
    void forEachIsolationCandidate(Visit&& visit) {
        flushReaders();
        for (int i = lone.nextAlsoIn(isolationDirty, 0); i >= 0;
             i = lone.nextAlsoIn(isolationDirty, i + 1)) {
            isolationDirty.erase(std::size_t(i));
            visit(int(islands[std::size_t(i)]));
            flushReaders();
        }
    }

    /// Flags the island at pos, if pos is one, for the next walk of every rule.
    void markDirty(int pos) {
        const std::uint16_t index = islandIndex[std::size_t(pos)];
        if (index != NO_ISLAND) markIsland(index);
    }
    /// Flags the island with that index for the next walk of every rule. The three sets
    /// have one length, so one word offset serves all three.
    void markIsland(std::size_t index) {
        const std::size_t word = index >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (index & 63);
        dirty.words[word] |= bit;
        pairDirty.words[word] |= bit;
        isolationDirty.words[word] |= bit;
    }

  private:
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
            totals.missing -= before - after;
            return;
        }
        if (before > ISLAND_BASE) {
            --totals.unfinished;
            unfinished.erase(islandIndex[std::size_t(pos)]);
        }
        totals.complete += int(after == ISLAND_BASE) - int(before == ISLAND_BASE);
        totals.missing -= before - (after < ISLAND_BASE ? ISLAND_BASE : after);
        if (after < ISLAND_BASE) group.standingIslands = std::int16_t(group.standingIslands - 1);
    }
    /// Takes the open island of group id out of `lone`, if the group has one open island.
    void unlistLoneIsland(std::uint16_t id) {
        const IslandGroup& group = groups[id];
        if (group.openIslands == 1) lone.erase(islandIndex[group.openCells]);
    }
    /// Puts the open island of group id into `lone`, flagged for both rules, when it
    /// belongs there.
    void listLoneIsland(std::uint16_t id) {
        const IslandGroup& group = groups[id];
        if (group.openIslands != 1 || group.demand < 1 || group.demand > 4 ||
            cells[group.openCells] <= ISLAND_BASE)
            return;
        const std::uint16_t index = islandIndex[group.openCells];
        lone.insert(index);
        markReader(index);
    }
    /// Flags the island with that index for the pair and isolation rules; the two sets
    /// have one length, so one word offset serves both.
    void markReader(std::size_t index) {
        const std::size_t word = index >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (index & 63);
        pairDirty.words[word] |= bit;
        isolationDirty.words[word] |= bit;
    }
    /// Flags the readers of every group in changedGroups and empties it.
    void flushReaders();
    /// Flags for both rules the islands at the far ends of the open lines of every member
    /// of group id, and drops the members without open lines from the circle of
    /// reader circle.
    void markReaders(std::uint16_t id);
    /// Flags the far ends of the open lines of the island at pos; false when it has none.
    bool markFarEnds(int pos);
    /// Takes group id out of the totals, or puts it back in.
    void countGroup(std::uint16_t id, int sign) {
        const IslandGroup& group = groups[id];
        const bool closed =
            (group.demand == 0 || group.openIslands == 0) && group.standingIslands > 0;
        totals.closedGroups += sign * closed;
        totals.negativeGroups += sign * (group.demand < 0);
    }
};

}  // namespace spanwright
