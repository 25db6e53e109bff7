#include "explain/rules.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <numeric>

#include "puzzle/cpu_time.h"

namespace spanwright::explain {
namespace {

/// The places marked in `marks` (each 0 or 1), in rising order, into `into`; clears the
/// marks. Marks are set without asking whether they were set and read back in one pass
/// without a branch: which places a change reaches is data the branches cannot guess.
void readBack(std::vector<char>& marks, std::vector<int>& into) {
    const std::size_t size = marks.size();
    into.resize(size);
    char* const mark = marks.data();
    int* const out = into.data();
    std::size_t count = 0;
    for (std::size_t k = 0; k < size; ++k) {
        out[count] = int(k);
        count += std::size_t(mark[k]);
    }
    std::fill(mark, mark + size, char(0));
    into.resize(count);
}

/// Puts `list` in rising order without repeats: a short one by sorting it, a long one by
/// marking it in `marks` (all 0, one per place) and reading them back, which costs a pass
/// over every place but no comparisons.
void risingOnce(std::vector<int>& list, std::vector<char>& marks) {
    if (list.size() * 16 < marks.size()) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        return;
    }
    for (const int x : list)
        marks[std::size_t(x)] = 1;
    readBack(marks, list);
}

}  // namespace

// A change is worth a step when it raises a line's least, or lowers its most to something
// the other bounds did not already imply: settling the line, or below what both ends can
// still take.
bool StepFinder::worthChanging(const State& s, const Change& change) const {
    const std::size_t l = std::size_t(change.line);
    if (change.least > s.least[l]) return true;
    if (change.most >= s.most[l]) return false;
    return change.most == change.least || change.most < s.effectiveMost(g_, change.line);
}

// One island's clue as a player sees it at a glance: a line can take what its bounds allow,
// up to what the island still needs, and nothing to a finished neighbour (its lines are
// settled) or across a bridge. An island with all its bridges settles its lines; one whose
// lines can take only what it needs fills them; one that needs more than two bridges on
// every line but one needs a bridge on each of them. An island without a number needs at
// least one bridge, and can take what its lines can carry: it fills its lines only when
// they can take one bridge in all, and gives one to its only open line.
bool StepFinder::clueRule(State& s, int x, Found& f) const {
    const auto& lines = g_.lineAt[std::size_t(x)];
    const int fewest = g_.fewest[std::size_t(x)], known = s.known[std::size_t(x)];
    const int missing = g_.need[std::size_t(x)] - known, wanting = fewest - known;
    f.changes.clear();
    int space[4] = {}, room = 0, open = 0;
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = s.least[std::size_t(l)], high = s.most[std::size_t(l)];
        space[d] = std::max(0, std::min(missing, high - low));
        room += space[d];
        if (high > 0) ++open;
    }
    if (room < wanting) {
        s.fail(x, Fault::Short);
        return false;
    }
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = s.least[std::size_t(l)], high = s.most[std::size_t(l)];
        if (missing == 0) {
            if (low < high) f.changes.push_back({l, low, low});
        } else if (room == wanting) {
            if (space[d] > 0) f.changes.push_back({l, low + space[d], low + space[d]});
        } else if (fewest > MAX_BRIDGES_PER_LINE * (open - 1) && low == 0 && high > 0) {
            f.changes.push_back({l, 1, high});
        }
    }
    if (f.changes.empty()) return false;
    f.procedure = CLUE_RULE;
    f.technique = missing == 0 ? FINISHED_ISLAND : room == wanting ? FULL_LINES : ONE_EACH_WAY;
    f.island = x;
    f.capacity = known + room;
    f.remaining = wanting;
    return true;
}

// The other lines of an island together can carry at most the sum of their bounds; a line
// without which they fall short of the clue (or of one bridge, without one) gets a first
// bridge.
bool StepFinder::atLeastRule(const State& s, int x, Found& f) const {
    const int need = g_.fewest[std::size_t(x)];
    if (s.known[std::size_t(x)] >= need) return false;
    const auto& lines = g_.lineAt[std::size_t(x)];
    int total = 0;
    for (const int l : lines)
        // cppcheck-suppress useStlAlgorithm
        if (l >= 0) total += s.most[std::size_t(l)];
    f.changes.clear();
    for (const int l : lines) {
        if (l < 0 || s.least[std::size_t(l)] > 0 || s.most[std::size_t(l)] == 0) continue;
        if (total - s.most[std::size_t(l)] < need)
            f.changes.push_back({l, 1, int(s.most[std::size_t(l)])});
    }
    if (f.changes.empty()) return false;
    f.procedure = AT_LEAST_RULE;
    f.technique = AT_LEAST;
    f.island = x;
    f.capacity = total;
    f.remaining = need - s.known[std::size_t(x)];
    return true;
}

// One island's clue against its lines, with what each neighbour can still take: the
// island needs `remaining` more bridges; each line can add at most (cap - least). Every
// line must then carry at least what the others cannot take, and at most what the island
// still needs. This bound is exact for one island; for one without a number, the least
// it needs is one bridge and the most it takes what its lines carry.
bool StepFinder::capacityRule(State& s, int x, Found& f) const {
    const auto& lines = g_.lineAt[std::size_t(x)];
    int cap[4] = {}, capacity = 0;
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        cap[d] = s.effectiveMost(g_, l);
        capacity += cap[d];
    }
    const int need = g_.need[std::size_t(x)], fewest = g_.fewest[std::size_t(x)],
              known = s.known[std::size_t(x)];
    if (capacity < fewest) {
        s.fail(x, Fault::Short);
        return false;
    }
    f.changes.clear();
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = s.least[std::size_t(l)];
        const int least = std::max(low, fewest - (capacity - cap[d]));
        const int most = std::min({int(s.most[std::size_t(l)]), cap[d], need - (known - low)});
        if (least > most) {  // no way to finish this island: the position is impossible
            s.fail(x, least > s.least[std::size_t(l)] ? Fault::Short : Fault::OverFull);
            return false;
        }
        if (worthChanging(s, {l, least, most})) f.changes.push_back({l, least, most});
    }
    if (f.changes.empty()) return false;
    f.procedure = CAPACITY_RULE;
    f.technique = NEIGHBOUR_CAPACITY;
    f.island = x;
    f.capacity = capacity;
    f.remaining = fewest - known;
    return true;
}

// Whether island z still has room for what it needs once `added` more bridges are supposed
// on `line`: each of its open lines can take what its bounds leave, up to what the island
// at its far end can still take. A supposed first bridge blocks the lines it crosses.
bool StepFinder::roomFor(const State& s, int z, int line, int added, int nowLeast) const {
    const std::size_t l0 = std::size_t(line);
    const int a = g_.lineA[l0], b = g_.lineB[l0];
    const auto spare = [&](int island) {
        return s.spare(g_, island) - (island == a || island == b ? added : 0);
    };
    const int missing = spare(z);
    if (missing < 0) return false;  // more than it can take
    // What it must still take: all it can, or for an island without a number one bridge.
    const int wanting = s.wanting(g_, z) - (z == a || z == b ? added : 0);
    if (wanting <= 0) return true;
    const bool blocks = nowLeast == 0;
    int room = 0;
    for (const int l : g_.lineAt[std::size_t(z)]) {
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        int low = s.least[std::size_t(l)], high = s.most[std::size_t(l)];
        if (l == line) low += added;
        if (high == 0) continue;
        if (blocks)
            for (int k = g_.crossStart[l0]; k < g_.crossStart[l0 + 1]; ++k)
                if (g_.crossList[std::size_t(k)] == l) high = 0;
        if (high == 0) continue;
        room += std::max(0, std::min(spare(g_.other(l, z)), high - low));
    }
    return room >= wanting;
}

bool StepFinder::strands(const State& s, int x, int line, int added, Found& f) const {
    const std::size_t l = std::size_t(line);
    const int y = g_.other(line, x);
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
    const int nowLeast = s.least[l];
    if (added > s.spare(g_, y)) {
        f.faultIsland = y, f.faultKind = Fault::OverFull, f.crossed = false;
        return true;
    }
    const int rx = s.root(x), ry = s.root(y);
    const int demand = s.demand[std::size_t(rx)] + (rx == ry ? 0 : s.demand[std::size_t(ry)]);
    const int size = s.size[std::size_t(rx)] + (rx == ry ? 0 : s.size[std::size_t(ry)]);
    if (demand == 2 * added && size < g_.islandCount()) {
        f.faultIsland = x, f.faultKind = Fault::CutOff, f.crossed = false;
        return true;
    }
    // The islands whose room the supposed bridges change: its ends, their neighbours, and
    // the ends of the lines a first bridge would cross.
    const auto check = [&](int z, bool crossed) {
        if (roomFor(s, z, line, added, nowLeast)) return false;
        f.faultIsland = z, f.faultKind = Fault::Short, f.crossed = crossed;
        return true;
    };
    for (const int end : {x, y}) {
        if (check(end, false)) return true;
        for (const int around : g_.lineAt[std::size_t(end)]) {
            if (around < 0 || around == line) continue;
            // A neighbour's room changes only where this end's spare now limits their line;
            // elsewhere it is what the capacity rule already found enough.
            const std::size_t a = std::size_t(around);
            if (s.spare(g_, end) - added >= s.most[a] - s.least[a]) continue;
            if (check(g_.other(around, end), false)) return true;
        }
    }
    if (nowLeast == 0)
        for (int k = g_.crossStart[l]; k < g_.crossStart[l + 1]; ++k) {
            const int across = g_.crossList[std::size_t(k)];
            if (s.most[std::size_t(across)] == 0) continue;
            if (check(g_.lineA[std::size_t(across)], true) ||
                check(g_.lineB[std::size_t(across)], true))
                return true;
        }
    return false;
}

// Supposes one more bridge at a time on each of an island's lines, as far as the island
// could still take them, and looks at the islands around: the first count that leaves one
// of them without room for its bridges (or closes a pair off) is more than the line takes.
bool StepFinder::lookahead(const State& s, int x, Found& f, const char* covered) const {
    const int missing = s.spare(g_, x);
    if (missing <= 0) return false;
    for (const int l : g_.lineAt[std::size_t(x)]) {
        if (l < 0) continue;
        // What is supposed and looked at is the same from either end, but the end that can
        // take more tries more counts, and what the other finds it finds too, at the same
        // count: a settle, which wants only the fixed point, leaves the line to that end
        // when it looks there as well (the lower one of two that take as much).
        if (covered != nullptr) {
            const int y = g_.other(l, x), theirs = s.spare(g_, y);
            if (covered[y] && (theirs > missing || (theirs == missing && y < x))) continue;
        }
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = s.least[std::size_t(l)], high = s.most[std::size_t(l)];
        const int space = std::min(missing, high - low);
        for (int added = 1; added <= space; ++added) {
            if (!strands(s, x, l, added, f)) continue;
            f.changes.assign(1, {l, low, low + added - 1});
            f.procedure = LOOKAHEAD_RULE;
            f.technique = WOULD_STRAND;
            f.island = x;
            f.line = l;
            f.hypothesisLeast = low + added;
            return true;
        }
    }
    return false;
}

// An island that would finish its group (and cut it off) by taking all it still can from
// every line but one needs a bridge on that one. An island without a number need not take
// all it can, so it is never forced so.
bool StepFinder::keepOpen(const State& s, int x, Found& f) const {
    const int missing = s.spare(g_, x), total = g_.islandCount();
    if (missing <= 0 || g_.unnumbered[std::size_t(x)]) return false;
    const auto& lines = g_.lineAt[std::size_t(x)];
    int space[4] = {};
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l >= 0)
            space[d] =
                std::max(0, std::min(missing, s.most[std::size_t(l)] - s.least[std::size_t(l)]));
    }
    // It seals only groups that take exactly twice what the island still takes, and they
    // take at least what the island and its neighbours over the other lines do: where
    // those alone take more, its groups need not be looked up.
    int around = 0, nearSpare[4] = {};
    for (int d = 0; d < 4; ++d)
        if (space[d] > 0) around += nearSpare[d] = s.spare(g_, g_.other(lines[std::size_t(d)], x));
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0 || space[d] == 0 || s.least[std::size_t(l)] > 0) continue;
        if (missing + around - nearSpare[d] > 2 * missing) continue;
        int sum = 0;
        int roots[4], rootCount = 0;
        const int own = s.root(x);
        int demand = s.demand[std::size_t(own)], size = s.size[std::size_t(own)];
        for (int e = 0; e < 4; ++e) {
            if (e == d || space[e] == 0) continue;
            sum += space[e];
            const int r = s.root(g_.other(lines[std::size_t(e)], x));
            if (r == own || std::find(roots, roots + rootCount, r) != roots + rootCount) continue;
            roots[rootCount++] = r;
            demand += s.demand[std::size_t(r)];
            size += s.size[std::size_t(r)];
        }
        if (sum != missing || demand - 2 * sum != 0 || size >= total) continue;
        f.changes.assign(1, {l, 1, int(s.most[std::size_t(l)])});
        f.procedure = KEEP_OPEN_RULE;
        f.technique = KEEP_OPEN;
        f.island = x;
        f.line = l;
        f.sealValue = size;
        return true;
    }
    return false;
}

// A line with a bridge on it blocks every line it crosses.
bool StepFinder::crossRule(State& s, int l, Found& f) const {
    if (s.least[std::size_t(l)] == 0) return false;
    f.changes.clear();
    for (int k = g_.crossStart[std::size_t(l)]; k < g_.crossStart[std::size_t(l) + 1]; ++k) {
        const int across = g_.crossList[std::size_t(k)];
        if (s.least[std::size_t(across)] > 0) {  // two bridges that cross
            s.fail(g_.lineA[std::size_t(l)], Fault::OverFull);
            return false;
        }
        if (s.most[std::size_t(across)] > 0) f.changes.push_back({across, 0, 0});
    }
    if (f.changes.empty()) return false;
    f.procedure = CROSS_RULE;
    f.technique = CROSSED_LINE;
    f.line = l;
    return true;
}

// Two groups (single islands at first) joined by a line, or two islands of one group: if
// the bridges the line could still take would finish them all at once, the group would be
// cut off from the islands left out. Once a first bridge joins two 2s, a second one seals
// them just as a double one would have before, so the line inside a group counts too.
bool StepFinder::pairSeal(const State& s, int l, Found& f) const {
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
    const int low = s.least[std::size_t(l)], high = s.effectiveMost(g_, l);
    // A group takes at least what each of its islands still takes, so the two groups take
    // at least what the line's ends do: most lines fail this before their groups are
    // looked up.
    const int a = g_.lineA[std::size_t(l)], b = g_.lineB[std::size_t(l)];
    if (s.spare(g_, a) + s.spare(g_, b) > 2 * (high - low)) return false;
    const int ra = s.root(a), rb = s.root(b);
    const bool apart = ra != rb;
    const int joined = s.demand[std::size_t(ra)] + (apart ? s.demand[std::size_t(rb)] : 0);
    const int size = s.size[std::size_t(ra)] + (apart ? s.size[std::size_t(rb)] : 0);
    if (size >= g_.islandCount()) return false;
    int most = high;
    while (most > low && joined == 2 * (most - low))
        --most;
    if (most == high) return false;
    f.changes.assign(1, {l, low, most});
    f.procedure = PAIR_SEAL;
    f.line = l;
    f.sealValue = high;
    f.technique = apart && s.size[std::size_t(ra)] == 1 && s.size[std::size_t(rb)] == 1
                      ? ISOLATED_PAIR
                      : ISOLATED_GROUP;
    return true;
}

// A group that is not everything must keep a way out: counts the ways out of every group,
// and finds the state impossible when a group has none.
void StepFinder::countExits(State& s) {
    const int total = g_.islandCount();
    exitCount_.assign(std::size_t(total), 0);
    exitsCleared_ = false;
    for (int l = 0; l < g_.lineCount(); ++l) {
        const int ra = s.root(g_.lineA[std::size_t(l)]), rb = s.root(g_.lineB[std::size_t(l)]);
        if (ra == rb || s.effectiveMost(g_, l) == 0) continue;
        ++exitCount_[std::size_t(ra)], ++exitCount_[std::size_t(rb)];
    }
    for (int x = 0; x < total; ++x) {
        if (s.root(x) != x || s.size[std::size_t(x)] == total) continue;
        if (exitCount_[std::size_t(x)] == 0) {
            s.fail(x, Fault::CutOff);
            return;
        }
    }
}

// When only one line leads out of a group, it carries a bridge.
bool StepFinder::onlyExit(const State& s, int l, Found& f) const {
    if (s.least[std::size_t(l)] > 0 || s.effectiveMost(g_, l) == 0) return false;
    const int ra = s.root(g_.lineA[std::size_t(l)]), rb = s.root(g_.lineB[std::size_t(l)]);
    if (ra == rb) return false;
    const int group = exitCount_[std::size_t(ra)] == 1   ? ra
                      : exitCount_[std::size_t(rb)] == 1 ? rb
                                                         : -1;
    if (group < 0) return false;
    f.changes.assign(1, {l, 1, int(s.most[std::size_t(l)])});
    f.procedure = ONLY_EXIT_RULE;
    f.technique = ONLY_EXIT;
    f.line = l;
    f.island = group == ra ? g_.lineA[std::size_t(l)] : g_.lineB[std::size_t(l)];
    return true;
}

// Every way the island can still finish, leaving out those that would complete its group
// (with the groups it joins) while other islands remain outside. An island without a
// number finishes with any count of one or more: once its lines are all chosen it takes
// nothing more.
bool StepFinder::islandSeal(State& s, int x, Found& f) const {
    // Finishing x finishes its group only if the rest of the group's demand can be met by
    // x's lines inside the group; most islands fail this at once.
    const int spare = s.spare(g_, x), own = s.root(x);
    if (spare == 0) return false;
    const auto& around = g_.lineAt[std::size_t(x)];
    const int inside = std::accumulate(around.begin(), around.end(), 0, [&](int sum, int l) {
        if (l < 0 || s.root(g_.other(l, x)) != own) return sum;
        return sum + s.effectiveMost(g_, l) - s.least[std::size_t(l)];
    });
    if (s.demand[std::size_t(own)] - spare > inside) return false;
    const auto& lines = g_.lineAt[std::size_t(x)];
    int low[4] = {}, high[4] = {}, nbrRoot[4] = {};
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        low[d] = s.least[std::size_t(l)];
        high[d] = s.effectiveMost(g_, l);
        nbrRoot[d] = s.root(g_.other(l, x));
    }
    const int need = g_.need[std::size_t(x)], fewest = g_.fewest[std::size_t(x)],
              total = g_.islandCount();
    const bool exact = fewest == need;
    int minV[4] = {MAX_CLUE + 1, MAX_CLUE + 1, MAX_CLUE + 1, MAX_CLUE + 1},
        maxV[4] = {-1, -1, -1, -1};
    bool anyFeasible = false, anySealed = false;
    std::array<int, 4> sealed{};
    int v[4];
    for (v[0] = low[0]; v[0] <= high[0]; ++v[0])
        for (v[1] = low[1]; v[1] <= high[1]; ++v[1])
            for (v[2] = low[2]; v[2] <= high[2]; ++v[2])
                for (v[3] = low[3]; v[3] <= high[3]; ++v[3]) {
                    const int sum = v[0] + v[1] + v[2] + v[3];
                    if (exact ? sum != need : sum < fewest) continue;
                    // x takes nothing more (for a numbered island that is what the
                    // bridges added give it), and each far end takes what it is given.
                    int demand = s.demand[std::size_t(own)] - spare,
                        size = s.size[std::size_t(own)];
                    int seen[4], seenCount = 0;
                    for (int d = 0; d < 4; ++d) {
                        demand -= v[d] - low[d];
                        if (v[d] == 0 || nbrRoot[d] == own) continue;
                        if (std::find(seen, seen + seenCount, nbrRoot[d]) != seen + seenCount)
                            continue;
                        seen[seenCount++] = nbrRoot[d];
                        demand += s.demand[std::size_t(nbrRoot[d])];
                        size += s.size[std::size_t(nbrRoot[d])];
                    }
                    if (demand == 0 && size < total) {
                        if (!anySealed) sealed = {v[0], v[1], v[2], v[3]};
                        anySealed = true;
                        continue;
                    }
                    anyFeasible = true;
                    for (int d = 0; d < 4; ++d)
                        minV[d] = std::min(minV[d], v[d]), maxV[d] = std::max(maxV[d], v[d]);
                }
    if (!anyFeasible) {
        s.fail(x, anySealed ? Fault::CutOff : Fault::Short);
        return false;
    }
    if (!anySealed) return false;
    f.changes.clear();
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l >= 0 && worthChanging(s, {l, minV[d], maxV[d]}))
            f.changes.push_back({l, minV[d], maxV[d]});
    }
    if (f.changes.empty()) return false;
    f.procedure = ISLAND_SEAL;
    f.technique = KEEP_CONNECTED;
    f.island = x;
    f.example = sealed;
    return true;
}

// Supposes a part of one line's range and runs the rungs below on a copy, a round at a
// time; a supposition that ends in a contradiction leaves the rest of the range.
bool StepFinder::refuted(const State& s, int line, int least, int most, Found& f) {
    trialState_.copyFrom(s);
    // The marks of the supposition before are all on its lists: clearing just those, not
    // whole arrays, keeps a round of trials from growing with the square of the board.
    const std::size_t lines = std::size_t(g_.lineCount()), islands = std::size_t(g_.islandCount());
    if (lineMark_.size() != lines || islandMark_.size() != islands) {
        lineMark_.assign(lines, 0);
        islandMark_.assign(islands, 0);
    } else {
        for (const int l : changedLines_)
            lineMark_[std::size_t(l)] = 0;
        for (const int x : nearIslands_)
            islandMark_[std::size_t(x)] = 0;
        for (const int x : ends_)
            islandMark_[std::size_t(x)] = 0;
    }
    if (listMark_.size() != islands) listMark_.assign(islands, 0);  // regionOfGroups clears it
    // Marks for risingOnce, all 0 between uses.
    islandWatched_.resize(islands);
    lineWatched_.resize(lines);
    // A round's local exits are cleared at its end; the whole-board count leaves counts.
    if (!exitsCleared_ || exitCount_.size() != islands) {
        exitCount_.assign(islands, -1);
        exitsCleared_ = true;
    }
    changedLines_.clear(), nearIslands_.clear(), ends_.clear();
    trialLog_.clear();
    trialLooked_.fill(0);
    markChange(trialState_, line, least, most);
    int steps = 0;
    ++depth_;
    while (!trialState_.contradiction) {
        const int count = round(trialState_, Rung::Expert, trialFound_);
        for (int k = 0; k < count; ++k)
            for (const Change& c : trialFound_[std::size_t(k)].changes)
                markChange(trialState_, c.line, c.least, c.most);
        if (count == 0) break;
        steps += count;
        // Longer than a refutation already found: it would not be kept (see trial()).
        if (steps > trialBound_) break;
    }
    --depth_;
    if (!trialState_.contradiction) return false;
    f.hypothesisLeast = least;
    f.hypothesisMost = most;
    f.trialSteps = steps;
    f.faultIsland = trialState_.faultIsland;
    f.faultKind = trialState_.faultKind;
    return true;
}

void StepFinder::markChange(const State& s, int line, int least, int most) {
    const std::size_t l = std::size_t(line);
    // A line's bounds in one number: two bits each.
    static_assert(MAX_BRIDGES_PER_LINE < 4, "a line's least and most fit in two bits each");
    const int before = s.least[l] * 4 + s.most[l];
    const std::int8_t leastBefore = s.least[l];
    trialState_.narrow(g_, line, least, most);
    if (s.least[l] * 4 + s.most[l] == before) return;
    trialLog_.push_back(line * 2 + int(s.least[l] > leastBefore));
    if (lineMark_[l]) return;
    lineMark_[l] = 1;
    nearSorted_ = false;
    changedLines_.push_back(line);
    for (const int end : {g_.lineA[l], g_.lineB[l]}) {
        if (islandMark_[std::size_t(end)] & 2) continue;
        islandMark_[std::size_t(end)] |= 2;
        ends_.push_back(end);
        addIsland(nearIslands_, end);
        for (const int around : g_.lineAt[std::size_t(end)])
            if (around >= 0) addIsland(nearIslands_, g_.other(around, end));
    }
}

// A trial starts where these rules found nothing. The clue and at-least rules read an
// island's own lines, so they can find something new only at the ends of a line changed
// since they last looked; the capacity rule also reads what the neighbours take, which
// changes only where a line at a neighbour gained a bridge.
void StepFinder::trialChanged(Procedure p) {
    std::vector<int>& list = trialWatched_;
    list.clear();
    std::size_t& from = trialLooked_[std::size_t(p)];
    for (std::size_t k = from; k < trialLog_.size(); ++k) {
        const std::size_t l = std::size_t(trialLog_[k] >> 1);
        for (const int end : {g_.lineA[l], g_.lineB[l]}) {
            list.push_back(end);
            if (p != CAPACITY_RULE || (trialLog_[k] & 1) == 0) continue;
            for (const int around : g_.lineAt[std::size_t(end)])
                if (around >= 0) list.push_back(g_.other(around, end));
        }
    }
    from = trialLog_.size();
    risingOnce(list, islandWatched_);
}

void StepFinder::addIsland(std::vector<int>& list, int x) {
    if (islandMark_[std::size_t(x)] & 1) return;
    islandMark_[std::size_t(x)] |= 1;
    list.push_back(x);
}

// The islands near a change, and every member of a group that holds a changed island and
// can take at most `maxDemand` more bridges (with their neighbours when asked): a group
// that can take more cannot be sealed off by the rules that look at groups.
void StepFinder::regionOfGroups(const State& s, int maxDemand, bool withNeighbours,
                                std::vector<int>& islands) {
    islands = nearIslands_;
    for (const int x : islands)
        listMark_[std::size_t(x)] = 1;
    const auto add = [&](int x) {
        if (!listMark_[std::size_t(x)]) listMark_[std::size_t(x)] = 1, islands.push_back(x);
    };
    for (const int end : ends_) {
        const int root = s.root(end);
        if (s.demand[std::size_t(root)] > maxDemand || listMark_[std::size_t(root)] == 2) continue;
        int member = root;
        do {
            add(member);
            listMark_[std::size_t(member)] = 2;
            if (withNeighbours)
                for (const int around : g_.lineAt[std::size_t(member)])
                    if (around >= 0) add(g_.other(around, member));
            member = s.next[std::size_t(member)];
        } while (member != root);
    }
    for (const int x : islands)
        listMark_[std::size_t(x)] = 0;
    risingOnce(islands, islandWatched_);
}

// The ways out of every group near a change; the single ways out are the lines to look at.
void StepFinder::localExits(State& s, std::vector<int>& lines) {
    lines.clear();
    const int total = g_.islandCount();
    std::vector<int>& roots = region_;
    roots.clear();
    for (const int x : nearIslands_) {
        const int root = s.root(x);
        if (exitCount_[std::size_t(root)] >= 0) continue;
        roots.push_back(root);
        int count = 0, exit = -1, member = root;
        do {
            for (const int l : g_.lineAt[std::size_t(member)])
                if (l >= 0 && s.root(g_.other(l, member)) != root && s.effectiveMost(g_, l) > 0)
                    ++count, exit = l;
            member = s.next[std::size_t(member)];
        } while (member != root);
        exitCount_[std::size_t(root)] = count;
        if (count == 0 && s.size[std::size_t(root)] < total) s.fail(root, Fault::CutOff);
        if (count == 1) lines.push_back(exit);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

// The part of the line's range (none, some, all, or less than all) whose supposition is
// refuted in the fewest steps; the first such in that order where several tie.
bool StepFinder::trial(const State& s, int l, Found& f) {
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
    const int low = s.least[std::size_t(l)], high = s.effectiveMost(g_, l);
    if (low >= high) return false;
    const std::array<Guess, 4> guesses = trialGuesses(low, high);
    const int count = trialGuessCount(low, high);
    int best = -1;
    Found shortest;
    for (int g = 0; g < count; ++g) {
        const Guess& guess = guesses[std::size_t(g)];
        if (!refuted(s, l, guess.least, guess.most, f)) continue;
        if (best >= 0 && f.trialSteps >= shortest.trialSteps) continue;
        best = g;
        shortest.hypothesisLeast = f.hypothesisLeast, shortest.hypothesisMost = f.hypothesisMost;
        shortest.trialSteps = f.trialSteps;
        shortest.faultIsland = f.faultIsland, shortest.faultKind = f.faultKind;
        trialBound_ = std::min(trialBound_, f.trialSteps);
    }
    if (best < 0) return false;
    f.hypothesisLeast = shortest.hypothesisLeast, f.hypothesisMost = shortest.hypothesisMost;
    f.trialSteps = shortest.trialSteps;
    f.faultIsland = shortest.faultIsland, f.faultKind = shortest.faultKind;
    f.changes.assign(
        1, {l, guesses[std::size_t(best)].restLeast, guesses[std::size_t(best)].restMost});
    f.procedure = TRIAL_RULE;
    f.technique = TRIAL;
    f.line = l;
    return true;
}

namespace {
/// The procedures in order of their cost on a whole board, cheapest first: those that look
/// at one island or line alone, then those that count a group's ways out, then those that
/// suppose bridges around an island, then the trial.
constexpr Procedure SETTLE_ORDER[PROCEDURE_COUNT] = {
    CLUE_RULE,   CROSS_RULE,     AT_LEAST_RULE, PAIR_SEAL,      KEEP_OPEN_RULE,
    ISLAND_SEAL, ONLY_EXIT_RULE, CAPACITY_RULE, LOOKAHEAD_RULE, TRIAL_RULE};
constexpr bool settleOrderHasEach() {
    for (int p = 0; p < PROCEDURE_COUNT; ++p) {
        int seen = 0;
        for (const Procedure q : SETTLE_ORDER)
            // cppcheck-suppress useStlAlgorithm
            seen += q == Procedure(p);
        if (seen != 1) return false;
    }
    return SETTLE_ORDER[PROCEDURE_COUNT - 1] == TRIAL_RULE;  // the trial only when all else fails
}
static_assert(settleOrderHasEach(), "every procedure once, the trial last");
}  // namespace

int StepFinder::round(State& state, Rung highest, std::vector<Found>& found) {
    std::size_t count = 0;
    // Runs `rule` on every island or line of `list`, or on all of them (list null).
    const auto each = [&](const std::vector<int>* list, int n, const auto& rule) {
        const int size = list != nullptr ? int(list->size()) : n;
        for (int k = 0; k < size && !state.contradiction; ++k) {
            if (depth_ == 0 && timeUp()) return;
            if (found.size() <= count) found.emplace_back();
            Found& f = found[count];
            if (rule(list != nullptr ? (*list)[std::size_t(k)] : k, f)) {
                ++count;
                if (found.size() > count) found[count].clear();
            }
        }
    };
    if (found.empty()) found.emplace_back();
    found[0].clear();
    const bool local = depth_ > 0;
    const int islands = g_.islandCount(), lines = g_.lineCount();
    // The rules visit islands and lines in their order; nothing is added to these lists
    // within a round, so they are sorted once for all its procedures, when the first that
    // reads them runs: most rounds of a trial end with the clue rule.
    const auto sortNear = [&] {
        if (!local || nearSorted_) return;
        std::sort(nearIslands_.begin(), nearIslands_.end());
        std::sort(changedLines_.begin(), changedLines_.end());
        nearSorted_ = true;
    };
    // Within a trial, where the rules of one island look.
    const auto changed = [&](Procedure p) -> const std::vector<int>* {
        if (!local) return nullptr;
        if (everywhere_) {
            sortNear();
            return &nearIslands_;
        }
        trialChanged(p);
        return &trialWatched_;
    };
    // Settling wants only the fixed point, which the order of the rules does not change:
    // there the cheap ones go first, and the dear ones run only when those find nothing.
    const bool settling = easySettled_ && depth_ == 0;
    const Procedure* const order = settling ? SETTLE_ORDER : nullptr;
    // Within a settle, where a rule looks: everywhere on its first look, then only where
    // what it reads changed since.
    const auto near = [&](Procedure p, const std::vector<int>* list) -> const std::vector<int>* {
        if (!settling || everywhere_ || !watched(p)) return list;
        if (firstLook_[std::size_t(p)]) {
            firstLook_[std::size_t(p)] = false;
            lookedUpTo_[std::size_t(p)] = narrowed_.size();
            return nullptr;
        }
        whereChanged(state, p);
        return &watched_;
    };
    for (int rung = int(Rung::Easy); rung <= int(highest); ++rung) {
        for (int k = 0; k < PROCEDURE_COUNT; ++k) {
            const Procedure p = order != nullptr ? order[k] : Procedure(k);
            if (settling ? procedureRung(p) > highest || int(procedureRung(p)) <= settledRung_
                         : int(procedureRung(p)) != rung)
                continue;
            // Within settle the easy rules have just run to their fixed point.
            if (settling && (p == CLUE_RULE || p == CROSS_RULE)) continue;
            switch (p) {
                case CLUE_RULE:
                    each(changed(p), islands,
                         [&](int x, Found& f) { return clueRule(state, x, f); });
                    break;
                case AT_LEAST_RULE:
                    each(local ? changed(p) : near(p, nullptr), islands,
                         [&](int x, Found& f) { return atLeastRule(state, x, f); });
                    break;
                case CAPACITY_RULE:
                    each(local ? changed(p) : near(p, nullptr), islands,
                         [&](int x, Found& f) { return capacityRule(state, x, f); });
                    break;
                case LOOKAHEAD_RULE:
                case KEEP_OPEN_RULE:
                    // Within a trial the supposition's own consequences are what count, and
                    // what these two find there the capacity rule and the seals find soon
                    // after; leaving them out keeps a trial's cost to its neighbourhood.
                    if (local) break;
                    {
                        const std::vector<int>* const list = near(p, nullptr);
                        // Within a settle, which islands this look covers.
                        const char* covered = nullptr;
                        if (settling && p == LOOKAHEAD_RULE) {
                            lookedAt_.assign(std::size_t(islands), char(list == nullptr ? 1 : 0));
                            if (list != nullptr)
                                for (const int x : *list)
                                    lookedAt_[std::size_t(x)] = 1;
                            covered = lookedAt_.data();
                        }
                        each(list, islands, [&](int x, Found& f) {
                            return Procedure(p) == LOOKAHEAD_RULE ? lookahead(state, x, f, covered)
                                                                  : keepOpen(state, x, f);
                        });
                    }
                    break;
                case CROSS_RULE:
                    sortNear();
                    each(local ? &changedLines_ : nullptr, lines,
                         [&](int l, Found& f) { return crossRule(state, l, f); });
                    break;
                case PAIR_SEAL:
                    sortNear();
                    if (local) {  // a pair seals itself only with one line's bridges to go
                        regionOfGroups(state, 2 * MAX_BRIDGES_PER_LINE, false, region_);
                        regionLines_ = changedLines_;
                        for (const int x : region_) {
                            const auto& around = g_.lineAt[std::size_t(x)];
                            std::copy_if(around.begin(), around.end(),
                                         std::back_inserter(regionLines_),
                                         [](int l) { return l >= 0; });
                        }
                        risingOnce(regionLines_, lineWatched_);
                    }
                    each(near(p, local ? &regionLines_ : nullptr), lines,
                         [&](int l, Found& f) { return pairSeal(state, l, f); });
                    break;
                case ONLY_EXIT_RULE:
                    sortNear();
                    if (local)
                        localExits(state, regionLines_);
                    else
                        countExits(state);
                    each(local ? &regionLines_ : nullptr, lines,
                         [&](int l, Found& f) { return onlyExit(state, l, f); });
                    if (local)
                        for (const int root : region_)
                            exitCount_[std::size_t(root)] = -1;
                    break;
                case ISLAND_SEAL:
                    sortNear();
                    // an island's bridges change its group's demand by twice its most at most
                    if (local) regionOfGroups(state, 2 * MAX_CLUE, true, region_);
                    each(local ? &region_ : nullptr, islands,
                         [&](int x, Found& f) { return islandSeal(state, x, f); });
                    break;
                case TRIAL_RULE:
                    if (depth_ > 0) break;  // one level only
                    trialBound_ = std::numeric_limits<int>::max();
                    trialRound_ = true;
                    each(nullptr, lines, [&](int l, Found& f) { return trial(state, l, f); });
                    trialRound_ = false;
                    // A person sees the quickest refutations first; settling, which wants
                    // only the fixed point, takes them all at once, in fewer rounds.
                    if (!easySettled_) count = shortestTrials(found, count);
                    break;
                case PROCEDURE_COUNT:
                    break;
            }
            if (state.contradiction || stopped_) {
                // A look cut short leaves places unseen.
                if (settling) firstLook_[std::size_t(p)] = true;
                return 0;
            }
            if (count > 0) return int(count);
        }
        if (settling) break;  // every rung's procedures were in the one pass
    }
    return 0;
}

bool StepFinder::watched(Procedure p) {
    return p == AT_LEAST_RULE || p == CAPACITY_RULE || p == PAIR_SEAL || p == KEEP_OPEN_RULE ||
           p == LOOKAHEAD_RULE;
}

// What each rule reads, from the lines narrowed: their bounds, and where a line gained a
// bridge, what its ends still take and their groups (a group changes only through a line
// at one of its islands, so the groups to look at are those of those ends, as merged now):
// - at least: the island's lines and bridges;
// - capacity: also what its neighbours still take (the most its lines can carry);
// - pair seal: the line's bounds and what its ends take, and their groups, which it can
//   seal only while they take at most one line's bridges more;
// - keep open: the island's lines, and its own and its neighbours' groups, which it can
//   seal only while they take at most what one island can more;
// - lookahead: what islands up to two lines away take and the bounds of their lines, and
//   what those islands' neighbours take; the same of the ends of the lines crossing one at
//   the island (a supposed first bridge blocks those); and the groups of its ends, which a
//   supposed bridge seals only while they take at most one line's bridges more.
void StepFinder::whereChanged(const State& s, Procedure p) {
    const std::size_t islands = std::size_t(g_.islandCount()), lines = std::size_t(g_.lineCount());
    // Marks read back in order (readBack): a sort of what a round touches cost more than
    // the rules it spared.
    islandWatched_.resize(islands);
    lineWatched_.resize(lines);
    char* const marked = islandWatched_.data();
    const auto markNeighbours = [&](int x) {
        for (const int l : g_.lineAt[std::size_t(x)])
            if (l >= 0) marked[g_.other(l, x)] = 1;
    };
    // The ends of the lines narrowed since, and of those that gained a bridge, with
    // repeats where a line changed more than once: marking again costs less than asking.
    std::vector<int>& ends = nearChange_;
    std::vector<int>& fuller = fullerEnds_;
    ends.clear(), fuller.clear();
    const std::size_t from = lookedUpTo_[std::size_t(p)];
    lookedUpTo_[std::size_t(p)] = narrowed_.size();
    for (std::size_t k = from; k < narrowed_.size(); ++k) {
        const std::size_t l = std::size_t(narrowed_[k] >> 1);
        ends.push_back(g_.lineA[l]);
        ends.push_back(g_.lineB[l]);
        if (narrowed_[k] & 1) fuller.push_back(g_.lineA[l]), fuller.push_back(g_.lineB[l]);
    }
    // Every island of the groups of `fuller` that take at most `maxDemand` more, with their
    // neighbours when asked; each group once, by its root.
    const auto markGroups = [&](int maxDemand, bool withNeighbours) {
        walkedRoots_.clear();
        for (const int end : fuller) {
            const int root = s.root(end);
            if (s.demand[std::size_t(root)] > maxDemand ||
                std::find(walkedRoots_.begin(), walkedRoots_.end(), root) != walkedRoots_.end())
                continue;
            walkedRoots_.push_back(root);
            for (int member = root;;) {
                marked[member] = 1;
                if (withNeighbours) markNeighbours(member);
                member = s.next[std::size_t(member)];
                if (member == root) break;
            }
        }
    };
    if (p == PAIR_SEAL) {
        // The lines narrowed, and every line at an island that gained a bridge or is in a
        // group that might seal.
        markGroups(2 * MAX_BRIDGES_PER_LINE, false);
        for (const int x : fuller)
            marked[x] = 1;
        readBack(islandWatched_, ends);
        for (const int x : ends)
            for (const int l : g_.lineAt[std::size_t(x)])
                if (l >= 0) lineWatched_[std::size_t(l)] = 1;
        for (std::size_t k = from; k < narrowed_.size(); ++k)
            lineWatched_[std::size_t(narrowed_[k] >> 1)] = 1;
        readBack(lineWatched_, watched_);
        return;
    }
    for (const int x : ends)
        marked[x] = 1;
    switch (p) {
        case CAPACITY_RULE:
            for (const int x : fuller)
                markNeighbours(x);
            break;
        case KEEP_OPEN_RULE:
            markGroups(2 * MAX_CLUE, true);
            break;
        case LOOKAHEAD_RULE: {
            // The islands next to a change: the ends, and the neighbours of those that
            // gained a bridge.
            for (const int x : fuller)
                markNeighbours(x);
            std::vector<int>& ring = ringScratch_;
            readBack(islandWatched_, ring);
            // The ends of the lines crossing one at those islands.
            for (const int x : ring)
                for (const int l : g_.lineAt[std::size_t(x)]) {
                    if (l < 0) continue;
                    for (int c = g_.crossStart[std::size_t(l)];
                         c < g_.crossStart[std::size_t(l) + 1]; ++c) {
                        const std::size_t across = std::size_t(g_.crossList[std::size_t(c)]);
                        marked[g_.lineA[across]] = 1;
                        marked[g_.lineB[across]] = 1;
                    }
                }
            // Two lines on from those: two from an end, three from one that gained a bridge.
            for (const int x : ring) {
                marked[x] = 1;
                markNeighbours(x);
            }
            readBack(islandWatched_, ring);
            for (const int x : ring) {
                marked[x] = 1;
                markNeighbours(x);
            }
            markGroups(2 * MAX_BRIDGES_PER_LINE, true);
            break;
        }
        default:
            break;
    }
    readBack(islandWatched_, watched_);
}

bool StepFinder::timeUp() {
    if (end_ <= 0 || stopped_) return stopped_;
    // A trial is a whole run of the lower rungs, so each one is worth a look at the clock.
    if (++sinceClock_ < 64 && !trialRound_) return false;
    sinceClock_ = 0;
    stopped_ = threadCpuSeconds() >= end_;
    return stopped_;
}

// Of the trials a round finds, a person would see first those refuted soonest; keeping
// only the ones that took the fewest steps (a number that does not depend on how the
// board is turned) lets the easier rules take over again after them.
std::size_t StepFinder::shortestTrials(std::vector<Found>& found, std::size_t count) {
    if (count == 0) return 0;
    const auto end = found.begin() + std::ptrdiff_t(count);
    const int fewest = std::min_element(found.begin(), end, [](const Found& a, const Found& b) {
                           return a.trialSteps < b.trialSteps;
                       })->trialSteps;
    const auto kept = std::stable_partition(found.begin(), end,
                                            [&](const Found& f) { return f.trialSteps == fewest; });
    return std::size_t(kept - found.begin());
}

void StepFinder::apply(State& state, const Found& found) const {
    for (const Change& c : found.changes)
        state.narrow(g_, c.line, c.least, c.most);
}

void StepFinder::narrowQueued(State& s, int line, int least, int most) {
    const std::size_t l = std::size_t(line);
    const int before = s.least[l] * 4 + s.most[l];
    const bool hadBridge = s.least[l] > 0;
    const std::int8_t leastBefore = s.least[l];
    s.narrow(g_, line, least, most);
    if (s.least[l] * 4 + s.most[l] == before) return;
    // The line, and whether it gained a bridge: only then do its ends take less.
    narrowed_.push_back(line * 2 + int(s.least[l] > leastBefore));
    for (const int end : {g_.lineA[l], g_.lineB[l]})
        if (!settleQueued_[std::size_t(end)]) {
            settleQueued_[std::size_t(end)] = 1;
            settleQueue_.push_back(end);
        }
    if (hadBridge || s.least[l] == 0 || s.contradiction) return;
    Found crossed;
    if (crossRule(s, line, crossed))
        for (const Change& c : crossed.changes)
            narrowQueued(s, c.line, c.least, c.most);
}

void StepFinder::settleEasy(State& s) {
    while (!settleQueue_.empty() && !s.contradiction) {
        const int x = settleQueue_.back();
        settleQueue_.pop_back();
        settleQueued_[std::size_t(x)] = 0;
        if (!clueRule(s, x, settleStep_)) continue;
        for (const Change& c : settleStep_.changes)
            narrowQueued(s, c.line, c.least, c.most);
    }
}

// Only the fixed point matters here, not the rounds a person would take: the easy rules,
// which most of the work is, run from a queue of the islands whose lines changed, and a
// round of the whole board is taken only when they have nothing left. Every rule only
// narrows, so the order does not change where they stop.
bool StepFinder::settle(State& state, Rung highest, std::optional<Rung> reached) {
    // Taken on from an earlier settle, the easy rules are at their fixed point and the
    // queue is empty; the rungs up to `reached` found nothing in their last round, which is
    // most of a round over a large board saved.
    if (!reached) {
        narrowed_.clear();
        firstLook_.fill(true);
        const int islands = g_.islandCount();
        settleQueued_.assign(std::size_t(islands), 1);
        settleQueue_.resize(std::size_t(islands));
        std::iota(settleQueue_.rbegin(), settleQueue_.rend(), 0);
        for (int l = 0; l < g_.lineCount() && !state.contradiction; ++l)
            if (crossRule(state, l, settleStep_))
                for (const Change& c : settleStep_.changes)
                    narrowQueued(state, c.line, c.least, c.most);
    }
    settledRung_ = reached ? int(*reached) : 0;
    for (;;) {
        settleEasy(state);
        if (state.contradiction || state.solved(g_)) break;
        easySettled_ = true;
        const int count = round(state, highest, settleFound_);
        easySettled_ = false;
        settledRung_ = 0;
        if (count == 0) break;
        for (int k = 0; k < count && !state.contradiction; ++k)
            for (const Change& c : settleFound_[std::size_t(k)].changes)
                narrowQueued(state, c.line, c.least, c.most);
    }
    return !state.contradiction;
}

}  // namespace spanwright::explain
