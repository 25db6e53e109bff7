#include <algorithm>
#include <atomic>

#include "solver/board.h"

// The incremental index of the solver's board: what a scan builds and how a changed group
// flags the islands that read it.

namespace spanwright {
namespace {

/// Stamps of scanned layouts, unique across all boards and threads.
std::atomic<std::uint64_t> lastLayoutStamp{0};

}  // namespace

void SolverBoard::forgetScan() {
    islands_.clear();
    dirty_.words.clear();
    unfinished_.words.clear();
    lone_.words.clear();
    pairDirty_.words.clear();
    isolationDirty_.words.clear();
    changedGroups_.words.clear();
    farEnds_.clear();
    layoutStamp_ = 0;
    totals_ = IslandTotals{};
}

// Each island looks only right and down, so every line is opened exactly once, by the
// island at its left or upper end. Group ids follow this scan order, which is why the
// first island's id (0) is the id of the last group left.
void SolverBoard::scanLines() {
    listIslands();
    liveGroups = 0;
    const int w = stride();
    const int bottom = (height - 1) * w;
    for (const std::uint16_t pos : islands_) {
        const std::uint8_t code = cells[pos];
        if (code < ISLAND_BASE + 1) continue;

        const int rowEnd = pos / w * w + w - 1;
        int right = pos + 1;
        while (right < rowEnd && cells[right] < ISLAND_BASE + 1)
            ++right;
        if (right < rowEnd) openRun(pos, right, 1);

        int below = pos + w;
        while (below < bottom && cells[below] < ISLAND_BASE + 1)
            below += w;
        if (below < bottom) openRun(pos, below, w);

        groupIds[pos] = liveGroups;
        groups[liveGroups] = IslandGroup{std::int16_t(code - ISLAND_BASE), 1, 0, pos, pos};
        ++liveGroups;
    }
    countIslands();
}

void SolverBoard::recodeIslands(const std::uint8_t* plane) {
    // An island complete at the scan has no group of its own; such a board is built anew.
    if (std::size_t(liveGroups) != islands_.size()) {
        loadPlane(plane);
        scanLines();
        return;
    }
    // Every island is a group of its own that still needs bridges, so a new code moves
    // only the island's demand, the two sums of bridges missing and whether it is lone;
    // no group is closed or negative before or after.
    for (const std::uint16_t pos : islands_) {
        const int change = plane[pos] - cells[pos];
        if (change == 0) continue;
        cells[pos] = plane[pos];
        IslandGroup& group = groups[groupIds[pos]];
        group.demand = std::int16_t(group.demand + change);
        totals_.missing += change;
        totals_.demand += change;
        lone_.erase(islandIndex_[pos]);
        listLoneIsland(groupIds[pos]);
    }
}

// A run may pass islands that are already complete; each cell that is not water on it
// is the far end of the line from the one before it, as a walk over water would find.
void SolverBoard::openRun(int from, int to, int step) {
    const int forward = step == 1 ? 1 : 3;  // right or down, and back: left or up
    const std::uint8_t bits = step == 1 ? LINE_OPEN : LINE_OPEN << 2;
    int last = from;
    for (int x = from + step; x <= to; x += step) {
        if (x < to) masks[x] |= bits;
        if (cells[x] == WATER) continue;
        if (islandIndex_[last] != NO_ISLAND)
            farEnds_[std::size_t(islandIndex_[last]) * 4 + std::size_t(forward)] = std::uint16_t(x);
        if (islandIndex_[x] != NO_ISLAND)
            farEnds_[std::size_t(islandIndex_[x]) * 4 + std::size_t(forward - 1)] =
                std::uint16_t(last);
        last = x;
    }
}

// The list holds every cell that can ever reach a code of ISLAND_BASE or more: codes only
// go down, and water and bridges stay below it. A cell already at ISLAND_BASE gets no line
// and no group of its own, but the sweeps and totals still see it, as a scan would.
void SolverBoard::listIslands() {
    islands_.clear();
    std::fill(islandIndex_.begin(), islandIndex_.end(), NO_ISLAND);
    forEachInterior([&](int pos) {
        if (cells[pos] < ISLAND_BASE) return;
        islandIndex_[pos] = std::uint16_t(islands_.size());
        islands_.push_back(std::uint16_t(pos));
        links_[pos].member = std::uint16_t(pos);
        links_[pos].reader = std::uint16_t(pos);
    });
    farEnds_.resize(islands_.size() * 4);
    for (std::size_t i = 0; i < islands_.size(); ++i)
        std::fill_n(farEnds_.begin() + std::ptrdiff_t(i * 4), 4, islands_[i]);
    layoutStamp_ = lastLayoutStamp.fetch_add(1, std::memory_order_relaxed) + 1;
}

void SolverBoard::countIslands() {
    totals_ = IslandTotals{};
    unfinished_.reset(islands_.size(), false);
    lone_.reset(islands_.size(), false);
    pairDirty_.reset(islands_.size(), true);
    isolationDirty_.reset(islands_.size(), true);
    dirty_.reset(islands_.size(), true);
    changedGroups_.reset(islands_.size(), false);
    // Islands that were complete at the scan carry group id 0 without being counted in
    // it; they join the circle of id 0, so that a walk over that group's members reaches
    // every island whose group record is record 0.
    int zeroHead = -1;
    for (const std::uint16_t pos : islands_) {
        countIsland(pos);
        if (groupIds[pos] != 0) continue;
        if (zeroHead < 0) {
            zeroHead = pos;
        } else {
            links_[pos].member = links_[zeroHead].member;
            links_[zeroHead].member = pos;
            links_[pos].reader = links_[zeroHead].reader;
            links_[zeroHead].reader = pos;
        }
    }
    const int used = std::max<int>(liveGroups, 1);
    for (int id = 0; id < used; ++id) {
        totals_.demand += groups[id].demand;
        countGroup(std::uint16_t(id), 1);
        listLoneIsland(std::uint16_t(id));
    }
}

void SolverBoard::countIsland(int pos) {
    const int code = cells[pos];
    if (code < ISLAND_BASE) return;
    if (code > ISLAND_BASE) {
        ++totals_.unfinished;
        unfinished_.insert(islandIndex_[pos]);
    }
    totals_.complete += code == ISLAND_BASE;
    totals_.missing += code - ISLAND_BASE;
    ++groups[groupIds[pos]].standingIslands;
}

bool SolverBoard::markFarEnds(int pos) {
    bool open = false;
    for (int dir = 0; dir < 4; ++dir) {
        if (lineState(pos, dir) == LINE_CLOSED) continue;
        open = true;
        const std::uint16_t index = islandIndex_[std::size_t(farIsland(pos, dir))];
        if (index == NO_ISLAND) continue;
        markReader(index);
    }
    return open;
}

void SolverBoard::flushReaders() {
    for (int id = changedGroups_.next(0); id >= 0; id = changedGroups_.next(id + 1)) {
        changedGroups_.erase(std::size_t(id));
        markReaders(std::uint16_t(id));
    }
}

// The walk starts after the head and ends with it, so that the head can be dropped too:
// its predecessor is known by then. The last member left is never dropped.
void SolverBoard::markReaders(std::uint16_t id) {
    const int head = groups[id].readerHead;
    int before = head;
    int member = links_[std::size_t(head)].reader;
    for (;;) {
        const bool open = markFarEnds(member);
        const int next = links_[std::size_t(member)].reader;
        if (open || before == member) {
            before = member;
        } else {
            links_[std::size_t(before)].reader = std::uint16_t(next);
            if (member == head) groups[id].readerHead = std::uint16_t(next);
        }
        if (member == head) break;
        member = next;
    }
}

}  // namespace spanwright
