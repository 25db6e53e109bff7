#include "explain/rules.h"

#include <algorithm>
#include <numeric>

namespace spanwright::explain {

namespace {

/// A change is worth a step when it raises a line's least, or lowers its most to something
/// the other bounds did not already imply: settling the line, or below what both ends can
/// still take.
bool worthChanging(const Geometry& g, const State& s, int line, int least, int most) {
    const std::size_t l = std::size_t(line);
    if (least > s.least[l]) return true;
    if (most >= s.most[l]) return false;
    return most == least || most < s.effectiveMost(g, line);
}

}  // namespace

// One island's clue against its lines: the island needs `remaining` more bridges; each line
// can add at most (cap - least). Every line must then carry at least what the others cannot
// take, and at most what the island still needs. This bound is exact for one island, so
// the capacity rule is all that one island's reasoning can give.
bool StepFinder::clueRule(State& s, int x, Procedure procedure, Found& f) const {
    const bool exact = procedure == CAPACITY_RULE;
    const auto& lines = g_.lineAt[std::size_t(x)];
    int cap[4] = {}, capacity = 0;
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to 2
        const int low = s.least[std::size_t(l)], high = s.most[std::size_t(l)];
        if (exact)
            cap[d] = s.effectiveMost(g_, l);
        else  // a player at this rung sees a line as settled, or free up to its first limit
            cap[d] = low == high ? high : std::min(2, g_.need[std::size_t(x)]);
        capacity += cap[d];
    }
    const int need = g_.need[std::size_t(x)], known = s.known[std::size_t(x)];
    if (capacity < need) {
        s.fail(x, 0);
        return false;
    }
    if (procedure == FULL_RULE && known != need && capacity != need) return false;
    f.changes.clear();
    bool raisedAll = true;
    int open = 0;
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to 2
        const int low = s.least[std::size_t(l)];
        const int least = std::max(low, need - (capacity - cap[d]));
        const int most = std::min({int(s.most[std::size_t(l)]), cap[d], need - (known - low)});
        if (low < s.most[std::size_t(l)]) {
            ++open;
            if (!(low == 0 && least == 1)) raisedAll = false;
        }
        if (least > most) {  // no way to finish this island: the position is impossible
            s.fail(x, least > s.least[std::size_t(l)] ? 0 : 1);
            return false;
        }
        if (worthChanging(g_, s, l, least, most)) f.changes.push_back({l, least, most});
    }
    if (f.changes.empty()) return false;
    f.procedure = procedure;
    f.island = x;
    f.capacity = capacity;
    f.remaining = need - known;
    if (known == need)
        f.technique = FINISHED_ISLAND;
    else if (exact)
        f.technique = NEIGHBOUR_CAPACITY;
    else if (capacity == need)
        f.technique = FULL_LINES;
    else if (raisedAll && int(f.changes.size()) == open && open > 1)
        f.technique = ONE_EACH_WAY;
    else
        f.technique = AT_LEAST;
    return true;
}

// A line with a bridge on it blocks every line it crosses.
bool StepFinder::crossRule(State& s, Found& f) const {
    for (int l = 0; l < g_.lineCount(); ++l) {
        if (s.least[std::size_t(l)] == 0) continue;
        f.changes.clear();
        for (int k = g_.crossStart[std::size_t(l)]; k < g_.crossStart[std::size_t(l) + 1]; ++k) {
            const int across = g_.crossList[std::size_t(k)];
            if (s.least[std::size_t(across)] > 0) {  // two bridges that cross
                s.fail(g_.lineA[std::size_t(l)], 1);
                return false;
            }
            if (s.most[std::size_t(across)] > 0) f.changes.push_back({across, 0, 0});
        }
        if (f.changes.empty()) continue;
        f.procedure = CROSS_RULE;
        f.technique = CROSSED_LINE;
        f.line = l;
        return true;
    }
    return false;
}

// Two groups (single islands at first) joined by a line: if the bridges it could carry
// would finish both at once, the joined group would be cut off from the islands left out.
bool StepFinder::pairSeal(const State& s, Found& f) const {
    const int total = g_.islandCount();
    for (int l = 0; l < g_.lineCount(); ++l) {
        const int ra = s.root(g_.lineA[std::size_t(l)]), rb = s.root(g_.lineB[std::size_t(l)]);
        if (ra == rb) continue;
        const int joined = s.demand[std::size_t(ra)] + s.demand[std::size_t(rb)];
        if (s.size[std::size_t(ra)] + s.size[std::size_t(rb)] >= total) continue;
        const int high = s.effectiveMost(g_, l);
        int most = high;
        while (most > 0 && joined == 2 * most)
            --most;
        if (most == high) continue;
        f.changes.assign(1, {l, int(s.least[std::size_t(l)]), most});
        f.procedure = PAIR_SEAL;
        f.line = l;
        f.sealValue = high;
        f.technique = s.size[std::size_t(ra)] == 1 && s.size[std::size_t(rb)] == 1 ? ISOLATED_PAIR
                                                                                   : ISOLATED_GROUP;
        return true;
    }
    return false;
}

// A group that is not everything must keep a way out; when only one line leads out, it
// carries a bridge.
bool StepFinder::onlyExit(State& s, Found& f) {
    const int total = g_.islandCount();
    exitCount_.assign(std::size_t(total), 0);
    exitLine_.assign(std::size_t(total), -1);
    for (int l = 0; l < g_.lineCount(); ++l) {
        const int ra = s.root(g_.lineA[std::size_t(l)]), rb = s.root(g_.lineB[std::size_t(l)]);
        if (ra == rb || s.effectiveMost(g_, l) == 0) continue;
        ++exitCount_[std::size_t(ra)], ++exitCount_[std::size_t(rb)];
        exitLine_[std::size_t(ra)] = l, exitLine_[std::size_t(rb)] = l;
    }
    for (int x = 0; x < total; ++x) {
        if (s.root(x) != x || s.size[std::size_t(x)] == total) continue;
        if (exitCount_[std::size_t(x)] == 0) {
            s.fail(x, 2);
            return false;
        }
    }
    for (int l = 0; l < g_.lineCount(); ++l) {
        if (s.least[std::size_t(l)] > 0 || s.effectiveMost(g_, l) == 0) continue;
        const int ra = s.root(g_.lineA[std::size_t(l)]), rb = s.root(g_.lineB[std::size_t(l)]);
        if (ra == rb) continue;
        const int group = exitCount_[std::size_t(ra)] == 1   ? ra
                          : exitCount_[std::size_t(rb)] == 1 ? rb
                                                             : -1;
        if (group < 0) continue;
        f.changes.assign(1, {l, 1, int(s.most[std::size_t(l)])});
        f.procedure = ONLY_EXIT_RULE;
        f.technique = ONLY_EXIT;
        f.line = l;
        f.island = group == ra ? g_.lineA[std::size_t(l)] : g_.lineB[std::size_t(l)];
        return true;
    }
    return false;
}

// Every way the island can still finish, leaving out those that would complete its group
// (with the groups it joins) while other islands remain outside.
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
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to 2
        low[d] = s.least[std::size_t(l)];
        high[d] = s.effectiveMost(g_, l);
        nbrRoot[d] = s.root(g_.other(l, x));
    }
    const int need = g_.need[std::size_t(x)], total = g_.islandCount();
    int minV[4] = {9, 9, 9, 9}, maxV[4] = {-1, -1, -1, -1};
    bool anyFeasible = false, anySealed = false;
    std::array<int, 4> sealed{};
    int v[4];
    for (v[0] = low[0]; v[0] <= high[0]; ++v[0])
        for (v[1] = low[1]; v[1] <= high[1]; ++v[1])
            for (v[2] = low[2]; v[2] <= high[2]; ++v[2])
                for (v[3] = low[3]; v[3] <= high[3]; ++v[3]) {
                    if (v[0] + v[1] + v[2] + v[3] != need) continue;
                    int demand = s.demand[std::size_t(own)], size = s.size[std::size_t(own)];
                    int seen[4], seenCount = 0;
                    for (int d = 0; d < 4; ++d) {
                        demand -= 2 * (v[d] - low[d]);
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
        s.fail(x, anySealed ? 2 : 0);
        return false;
    }
    if (!anySealed) return false;
    f.changes.clear();
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l >= 0 && worthChanging(g_, s, l, minV[d], maxV[d]))
            f.changes.push_back({l, minV[d], maxV[d]});
    }
    if (f.changes.empty()) return false;
    f.procedure = ISLAND_SEAL;
    f.technique = KEEP_CONNECTED;
    f.island = x;
    f.example = sealed;
    return true;
}

// Supposes a part of one line's range and runs the rungs below on a copy; a supposition
// that ends in a contradiction leaves the rest of the range.
bool StepFinder::refuted(const State& s, int line, int least, int most, Found& f) {
    trialState_.copyFrom(s);
    trialState_.narrow(g_, line, least, most);
    int steps = 0;
    ++depth_;
    while (!trialState_.contradiction && !trialState_.solved(g_) &&
           find(trialState_, Rung::Expert, trialFound_)) {
        apply(trialState_, trialFound_);
        ++steps;
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

bool StepFinder::trial(const State& s, Found& f) {
    if (depth_ > 0) return false;  // one level only
    // The scan goes round from the line of the last trial that settled something, so that a
    // run of trials moves on through the board instead of retrying the lines before it.
    const int lines = g_.lineCount();
    for (int k = 0; k < lines; ++k) {
        const int l = (trialStart_ + k) % lines;
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to 2
        const int low = s.least[std::size_t(l)], high = s.effectiveMost(g_, l);
        if (low >= high) continue;
        struct Guess {
            int least, most, restLeast, restMost;
        };
        const Guess guesses[4] = {{low, low, low + 1, high},
                                  {low + 1, high, low, low},
                                  {high, high, low, high - 1},
                                  {low, high - 1, high, high}};
        const int count = high - low == 2 ? 4 : 2;
        for (int g = 0; g < count; ++g) {
            const Guess& guess = guesses[g];
            if (!refuted(s, l, guess.least, guess.most, f)) continue;
            f.changes.assign(1, {l, guess.restLeast, guess.restMost});
            f.procedure = TRIAL_RULE;
            f.technique = TRIAL;
            f.line = l;
            trialStart_ = l;
            return true;
        }
    }
    return false;
}

bool StepFinder::find(State& state, Rung highest, Found& found) {
    for (int rung = int(Rung::Easy); rung <= int(highest); ++rung) {
        for (int p = 0; p < PROCEDURE_COUNT; ++p) {
            if (int(PROCEDURE_RUNG[std::size_t(p)]) != rung) continue;
            bool stepFound = false;
            switch (Procedure(p)) {
                case FULL_RULE:
                case CLUE_RULE:
                case CAPACITY_RULE:
                    for (int x = 0; x < g_.islandCount() && !stepFound && !state.contradiction; ++x)
                        stepFound = clueRule(state, x, Procedure(p), found);
                    break;
                case CROSS_RULE:
                    stepFound = crossRule(state, found);
                    break;
                case PAIR_SEAL:
                    stepFound = pairSeal(state, found);
                    break;
                case ONLY_EXIT_RULE:
                    stepFound = onlyExit(state, found);
                    break;
                case ISLAND_SEAL:
                    for (int x = 0; x < g_.islandCount() && !stepFound && !state.contradiction; ++x)
                        stepFound = islandSeal(state, x, found);
                    break;
                case TRIAL_RULE:
                    stepFound = trial(state, found);
                    break;
                case PROCEDURE_COUNT:
                    break;
            }
            if (state.contradiction) return false;
            if (stepFound) return true;
        }
    }
    return false;
}

// Only a measure: an island that cannot be finished is left for find() to report, so that
// counting never changes the steps taken.
int StepFinder::easyChoices(State& state, int limit) {
    const bool contradiction = state.contradiction;
    const int faultIsland = state.faultIsland, faultKind = state.faultKind;
    int count = 0;
    for (int x = 0; x < g_.islandCount() && count < limit; ++x) {
        if (clueRule(state, x, FULL_RULE, scratch_) || clueRule(state, x, CLUE_RULE, scratch_))
            ++count;
        state.contradiction = contradiction, state.faultIsland = faultIsland,
        state.faultKind = faultKind;
    }
    return count;
}

void StepFinder::apply(State& state, const Found& found) const {
    for (const Change& c : found.changes)
        state.narrow(g_, c.line, c.least, c.most);
}

}  // namespace spanwright::explain
