#include <cstdio>
#include <cstdlib>
#include <vector>

#include "solver/board.h"
#include "solver/propagation.h"
#include "solver/rules.h"

// The checking mode's recount: every part of the index and every group record is worked
// out again from the planes alone and compared with what the primitives kept.

namespace spanwright {
namespace {

[[noreturn]] void broken(const char* invariant, int where) {
    std::fprintf(stderr, "spanwright: board invariant broken: %s (at %d)\n", invariant, where);
    std::fflush(stderr);
    std::abort();
}

void expect(bool holds, const char* invariant, int where = -1) {
    if (!holds) broken(invariant, where);
}

/// The members of an island set, as a plain list of flags of `count` islands.
std::vector<bool> flagsOf(const IslandSet& set, std::size_t count) {
    std::vector<bool> flags(count, false);
    for (int i = set.next(0); i >= 0; i = set.next(i + 1)) {
        expect(std::size_t(i) < count, "4/5: an island set names an island past the list", i);
        flags[std::size_t(i)] = true;
    }
    return flags;
}

}  // namespace

void SolverBoard::checkInvariants() const {
    const std::size_t cellTotal = std::size_t(cellCount());
    expect(cells.size() == cellTotal && masks.size() == cellTotal && groupIds.size() == cellTotal &&
               groups.size() == cellTotal && islandIndex_.size() == cellTotal &&
               links_.size() == cellTotal,
           "planes are sized to the board");
    if (layoutStamp_ == 0) return;  // not scanned: the index is empty
    const std::size_t count = islands_.size();

    // 1. The island list and its inverse.
    for (std::size_t i = 0; i < count; ++i) {
        const int pos = islands_[i];
        expect(i == 0 || islands_[i - 1] < pos, "1: the island list is in scan order", pos);
        expect(islandIndex_[std::size_t(pos)] == i, "1: islandIndex inverts the island list", pos);
    }
    std::size_t indexed = 0;
    forEachInterior([&](int pos) {
        if (cells[std::size_t(pos)] >= ISLAND_BASE)
            expect(islandIndex_[std::size_t(pos)] != NO_ISLAND,
                   "1: every cell at ISLAND_BASE or above is listed", pos);
        indexed += islandIndex_[std::size_t(pos)] != NO_ISLAND;
    });
    expect(indexed == count, "1: islandIndex names only listed cells");

    // 2. Far ends of the lines not closed.
    for (const std::uint16_t pos : islands_) {
        for (int dir = 0; dir < 4; ++dir) {
            if (lineState(pos, dir) == LINE_CLOSED) continue;
            int far = pos + step(dir);
            while (cells[std::size_t(far)] == WATER)
                far += step(dir);
            expect(farIsland(pos, dir) == far, "2: the far end of an open line", pos);
        }
    }

    // Group records, recounted from the codes of their members. An island over-bridged
    // (listed, code below ISLAND_BASE) may have jumped past ISLAND_BASE without being
    // counted as closing; the open count and cells of its group are then only bounded.
    struct Recount {
        int demand = 0, open = 0, standing = 0, over = 0, members = 0;
        std::uint16_t openCellsXor = 0;
    };
    std::vector<Recount> recount(std::max<std::size_t>(count, 1));
    for (const std::uint16_t pos : islands_) {
        const std::uint16_t id = groupIds[pos];
        expect(id < recount.size(), "6: a group id is below the number of islands", pos);
        Recount& r = recount[id];
        const int code = cells[pos];
        ++r.members;
        if (code >= ISLAND_BASE) {
            r.demand += code - ISLAND_BASE;
            ++r.standing;
        } else {
            r.demand += code - ISLAND_BASE;
            ++r.over;
        }
        if (code > ISLAND_BASE) {
            ++r.open;
            r.openCellsXor ^= pos;
        }
    }
    int inUse = 0;
    IslandTotals want;
    for (std::size_t id = 0; id < recount.size(); ++id) {
        const Recount& r = recount[id];
        const IslandGroup& group = groups[id];
        if (r.members == 0) {
            expect(group.demand == 0 && group.openIslands == 0 && group.standingIslands == 0,
                   "3: a group without members has an empty record", int(id));
            continue;
        }
        ++inUse;
        expect(group.standingIslands == r.standing, "3: standing islands of a group", int(id));
        if (!contradiction) expect(group.demand == r.demand, "3: demand of a group", int(id));
        if (r.over == 0) {
            expect(group.openIslands == r.open, "3: open islands of a group", int(id));
            expect(group.openIslands != 1 || group.openCellsXor == r.openCellsXor,
                   "3: the open cell of a group", int(id));
        } else {
            expect(group.openIslands >= r.open && group.openIslands <= r.open + r.over,
                   "3: open islands of an over-bridged group", int(id));
        }
        want.demand += group.demand;
        want.closedGroups +=
            (group.demand == 0 || group.openIslands == 0) && group.standingIslands > 0;
        want.negativeGroups += group.demand < 0;
    }
    // Islands complete at the scan share id 0 without a group of their own.
    expect(inUse == int(liveGroups) || (liveGroups == 0 && inUse <= 1),
           "3: liveGroups counts the groups in use");

    // 3. Running totals.
    for (const std::uint16_t pos : islands_) {
        const int code = cells[pos];
        if (code < ISLAND_BASE) continue;
        want.unfinished += code > ISLAND_BASE;
        want.complete += code == ISLAND_BASE;
        want.missing += code - ISLAND_BASE;
    }
    expect(totals_.unfinished == want.unfinished, "3: the total of unfinished islands");
    expect(totals_.complete == want.complete, "3: the total of complete islands");
    expect(totals_.missing == want.missing, "3: the total of missing bridges");
    if (!contradiction) expect(totals_.demand == want.demand, "3: the total of group demands");
    expect(totals_.closedGroups == want.closedGroups, "3: the count of closed groups");
    expect(totals_.negativeGroups == want.negativeGroups, "3: the count of negative groups");

    // 4 and 5. The sets of unfinished and lone islands.
    const std::vector<bool> unfinishedFlags = flagsOf(unfinished_, count);
    const std::vector<bool> loneFlags = flagsOf(lone_, count);
    for (std::size_t i = 0; i < count; ++i) {
        const int pos = islands_[i];
        expect(unfinishedFlags[i] == (cells[std::size_t(pos)] > ISLAND_BASE),
               "4: the set of unfinished islands", pos);
        const IslandGroup& group = groups[groupIds[std::size_t(pos)]];
        const bool lone = group.openIslands == 1 && group.openCellsXor == pos &&
                          group.demand >= 1 && group.demand <= ISOLATION_DEMAND &&
                          cells[std::size_t(pos)] > ISLAND_BASE;
        expect(loneFlags[i] == lone, "5: the set of lone islands", pos);
    }
    for (const IslandSet* set : {&dirty_, &pairDirty_, &isolationDirty_})
        flagsOf(*set, count);
    expect(changedGroups_.words.size() == dirty_.words.size(),
           "8: the changed groups are sized like the island sets");

    // 6. Member and reader circles.
    std::vector<int> circleOf(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        if (circleOf[i] >= 0) continue;
        const int start = islands_[i];
        const std::uint16_t id = groupIds[std::size_t(start)];
        int member = start;
        int length = 0;
        do {
            const std::uint16_t index = islandIndex_[std::size_t(member)];
            expect(index != NO_ISLAND, "6: the member circle runs over islands", member);
            expect(groupIds[std::size_t(member)] == id, "6: the member circle stays in its group",
                   member);
            expect(circleOf[index] < 0, "6: a member circle is a circle", member);
            circleOf[index] = int(i);
            member = links_[std::size_t(member)].member;
            expect(++length <= int(count), "6: a member circle ends", start);
        } while (member != start);
        expect(length == recount[id].members, "6: the member circle holds its whole group", start);
        const int head = groups[id].readerHead;
        if (head == NO_ISLAND) continue;
        expect(groupIds[std::size_t(head)] == id, "6: the reader head is a member", head);
        std::vector<bool> inReaders(count, false);
        member = head;
        length = 0;
        do {
            const std::uint16_t index = islandIndex_[std::size_t(member)];
            expect(index != NO_ISLAND && groupIds[std::size_t(member)] == id,
                   "6: the reader circle stays in its group", member);
            inReaders[index] = true;
            member = links_[std::size_t(member)].reader;
            expect(++length <= recount[id].members, "6: a reader circle ends", head);
        } while (member != head);
        int dropped = start;
        do {
            if (!inReaders[islandIndex_[std::size_t(dropped)]])
                expect(lineIndex(dropped) == 0,
                       "6: only members with every line closed leave the reader circle", dropped);
            dropped = links_[std::size_t(dropped)].member;
        } while (dropped != start);
    }
}

// Facts 7 and 8 of the index promise that the walks, which visit only flagged islands,
// miss nothing: so at a resting point no rule finds anything anywhere. Each rule runs over
// every island of its own fresh copy, under the conditions the propagation runs it.
void checkRestingPoint(const SolverBoard& board, bool extended) {
    board.checkInvariants();
    if (board.contradiction) return;
    const auto sweep = [&](const char* invariant, auto&& rule) {
        SolverBoard copy = board;
        for (const std::uint16_t pos : board.islands()) {
            if (copy.cells[pos] < ISLAND_BASE) continue;
            if (rule(copy, int(pos)) != 0 || copy.contradiction) broken(invariant, pos);
        }
    };
    sweep("7: the island rule finds nothing at rest", applyIslandRule);
    if (board.isSolved()) return;
    if (board.liveGroups >= PAIR_RULE_MIN_GROUPS)
        sweep("8: the pair rule finds nothing at rest", applyPairRule);
    if (extended && board.liveGroups >= ISOLATION_MIN_GROUPS)
        sweep("8: the isolation rule finds nothing at rest", applyIsolationRule);
}

}  // namespace spanwright
