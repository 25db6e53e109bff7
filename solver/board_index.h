#pragma once

#include <cstdint>
#include <vector>

#include "solver/island_set.h"

namespace spanwright {

/// Group id that names no group.
inline constexpr std::uint16_t NO_GROUP = 0xFFFF;

/// Island index that names no island.
inline constexpr std::uint16_t NO_ISLAND = 0xFFFF;

/// The links of an island cell in the two circles through the islands of its group.
struct MemberLinks {
    std::uint16_t member = 0;  ///< the next island of the group
    /// The next island of the group in a second circle that drops, when a walk finds
    /// them, members whose four lines are all closed. Lines never open again, and a bridge
    /// is only laid on a line that was open, so both ends of a new bridge are always still
    /// in their circles and the two circles can be spliced there.
    std::uint16_t reader = 0;
};

/// Counts over the islands and groups, kept up to date by scanLines and layBridges (the
/// only places that change a code or a group) so that isSolved and isRefuted need no scan.
struct IslandTotals {
    std::int32_t unfinished = 0;  ///< islands whose code is above ISLAND_BASE
    std::int32_t complete = 0;    ///< islands whose code is exactly ISLAND_BASE
    std::int32_t missing = 0;     ///< bridges still missing at islands not over-bridged
    std::int32_t demand = 0;      ///< the demands of all groups added up
    /// Groups with a standing island and no demand or no open island.
    std::int32_t closedGroups = 0;
    std::int32_t negativeGroups = 0;  ///< groups with a demand below zero
};

/// What the solver's board keeps beside its planes so that the rules can skip work
/// without changing a result. Everything here follows from the planes and the group
/// records; only the board's primitives write it, and SolverBoard::checkInvariants
/// recounts it. An "island" below is a cell of the island list, which a scan fills.
///
/// The invariants, as the checking mode numbers them:
///  1. The island list holds, in scan order, every interior cell whose code was at least
///     ISLAND_BASE at the scan; islandIndex is its inverse and NO_ISLAND elsewhere.
///     Codes only go down, so every cell at ISLAND_BASE or above is listed.
///  2. For every line of an island that is not closed, its far end is the first cell
///     past the island along the line that is not water.
///  3. The running totals equal a count over the islands and the live group records.
///  4. `unfinished` holds exactly the islands whose code is above ISLAND_BASE.
///  5. `lone` holds exactly the open island of every group with one open island and a
///     demand from 1 to ISOLATION_DEMAND, when that island is unfinished.
///  6. The member circle through an island visits exactly the islands of its group; the
///     reader circle of a group starts at its readerHead, visits only its members and
///     leaves out only members whose four lines are closed.
///  7. An island outside `dirty` would find nothing by the island rule.
///  8. An island outside `pairDirty` (or `isolationDirty`), once the groups in
///     `changedGroups` have flagged their readers, would find nothing by the pair (or
///     isolation) rule.
///  9. Two boards with the same nonzero layout stamp hold the same island list, index
///     and far ends, and the same planes outside the span of their islands.
/// Facts 7 and 8 are about rules, not counts: the checking mode tests them at every
/// resting point of propagation by running every rule over every island of a copy.
class BoardIndex {
  public:
    /// Island cells in scan order.
    const std::vector<std::uint16_t>& islands() const { return islands_; }
    /// The place in islands() of the cell at pos, or NO_ISLAND.
    std::uint16_t islandIndex(int pos) const { return islandIndex_[std::size_t(pos)]; }
    /// The island at the far end of the line that leaves the island at pos in direction
    /// dir, for a line that is not closed: the first cell past it that is not water, as
    /// recorded at the scan. A line that is not closed runs over water only, and water
    /// becomes something else only on a closed line, so it never moves while the line is
    /// open.
    int farIsland(int pos, int dir) const {
        return farEnds_[std::size_t(islandIndex_[std::size_t(pos)]) * 4 + std::size_t(dir)];
    }
    /// The links of the island cell at pos in its group's circles.
    const MemberLinks& links(int pos) const { return links_[std::size_t(pos)]; }
    const IslandTotals& totals() const { return totals_; }
    const IslandSet& unfinishedIslands() const { return unfinished_; }
    const IslandSet& loneIslands() const { return lone_; }
    const IslandSet& dirtyIslands() const { return dirty_; }
    const IslandSet& pairDirtyIslands() const { return pairDirty_; }
    const IslandSet& isolationDirtyIslands() const { return isolationDirty_; }
    const IslandSet& changedGroups() const { return changedGroups_; }
    std::uint64_t layoutStamp() const { return layoutStamp_; }

  private:
    friend struct SolverBoard;

    std::vector<std::uint16_t> islands_;
    std::vector<std::uint16_t> islandIndex_;  ///< per cell
    /// Per island cell: its links in both circles, side by side, so a copy moves both.
    std::vector<MemberLinks> links_;
    /// Per island, four cells: the far end of each of its lines that was open at the scan.
    std::vector<std::uint16_t> farEnds_;
    /// Names the contents of `islands_`, `islandIndex_` and `farEnds_`, which only a scan
    /// writes: each scan takes a new stamp, so copyFrom need not copy them between boards
    /// that share one (fact 9).
    std::uint64_t layoutStamp_ = 0;
    /// Islands whose code or one of whose four lines may have changed since their rule
    /// last ran (fact 7).
    IslandSet dirty_;
    IslandSet unfinished_;  ///< fact 4
    /// Fact 5. The pair and isolation rules act only on such an island, so walking this
    /// set visits every island where they can do anything.
    IslandSet lone_;
    /// Fact 8. Both rules read only the island's own group, its four line states and the
    /// groups at the far ends of its open lines. So an island leaves a set only when its
    /// rule runs, and joins both when one of its lines changes (markDirty), when it
    /// becomes the lone island of its group (listLoneIsland) or when a group at the far
    /// end of one of its open lines changes and is lone after it (markReaders; see
    /// SolverBoard::recountGroup for why a group that stops being lone flags nobody).
    IslandSet pairDirty_;
    IslandSet isolationDirty_;
    /// Ids of groups whose readers are still to be flagged. Flagging waits until a walk of
    /// the pair or isolation rule is about to start (or goes on after a visit that laid
    /// bridges), so a group that changes many times in an island sweep is walked once.
    IslandSet changedGroups_;
    IslandTotals totals_;
};

}  // namespace spanwright
