#include "maker/quick_rating.h"

#include <algorithm>

#include "explain/rules.h"

namespace spanwright::maker {

namespace {

/// A line's bound as a plain number; bounds are kept in 8 bits, as small signed counts.
int bound(std::int8_t value) {
    return value;
}

}  // namespace

void QuickRater::queue(int island) {
    if (queued_[std::size_t(island)] != 0) return;
    queued_[std::size_t(island)] = 1;
    queue_.push_back(island);
}

void QuickRater::tighten(int line, int least, int most, bool exact) {
    const std::size_t l = std::size_t(line);
    const int oldLeast = bound(s_->least[l]), oldMost = bound(s_->most[l]);
    if (least <= oldLeast && most >= oldMost) return;
    s_->narrow(g_, line, least, most);
    if (s_->contradiction) return;
    const int a = g_.lineA[l], b = g_.lineB[l];
    queue(a);
    queue(b);
    if (!exact || s_->least[l] == oldLeast) return;
    // More known bridges at a and b leave them less to spare, which bounds the lines of
    // their neighbours under the medium rules; and a first bridge blocks the lines it
    // crosses.
    for (const int end : {a, b})
        for (const int other : g_.lineAt[std::size_t(end)])
            if (other >= 0) queue(g_.other(other, end));
    if (oldLeast > 0) return;
    for (int k = g_.crossStart[l]; k < g_.crossStart[l + 1] && !s_->contradiction; ++k)
        tighten(g_.crossList[std::size_t(k)], 0, 0, exact);
}

// The same bounds as the stepwise solver's clue and capacity rules, applied at once.
void QuickRater::clueRule(int island, bool exact) {
    const auto& lines = g_.lineAt[std::size_t(island)];
    const int need = g_.need[std::size_t(island)], known = s_->known[std::size_t(island)];
    int cap[4] = {}, capacity = 0;
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        const int low = bound(s_->least[std::size_t(l)]), high = bound(s_->most[std::size_t(l)]);
        if (exact)
            cap[d] = s_->effectiveMost(g_, l);
        else
            cap[d] = low == high ? high : std::min(2, need);
        capacity += cap[d];
    }
    if (capacity < need) {
        s_->fail(island, 0);
        return;
    }
    int least[4] = {}, most[4] = {};
    for (int d = 0; d < 4; ++d) {
        const int l = lines[std::size_t(d)];
        if (l < 0) continue;
        const int low = bound(s_->least[std::size_t(l)]);
        least[d] = std::max(low, need - (capacity - cap[d]));
        most[d] = std::min({bound(s_->most[std::size_t(l)]), cap[d], need - (known - low)});
    }
    for (int d = 0; d < 4 && !s_->contradiction; ++d)
        if (lines[std::size_t(d)] >= 0) tighten(lines[std::size_t(d)], least[d], most[d], exact);
}

void QuickRater::queueAll(bool exact) {
    for (int x = 0; x < g_.islandCount(); ++x)
        queue(x);
    if (!exact) return;
    for (int l = 0; l < g_.lineCount() && !s_->contradiction; ++l)
        if (s_->least[std::size_t(l)] > 0)
            for (int k = g_.crossStart[std::size_t(l)];
                 k < g_.crossStart[std::size_t(l) + 1] && !s_->contradiction; ++k)
                tighten(g_.crossList[std::size_t(k)], 0, 0, exact);
}

void QuickRater::propagate(bool exact) {
    // Last in, first out: an island just narrowed is looked at again while its
    // neighbourhood is fresh, which settles chains of islands in one sweep.
    while (!queue_.empty() && !s_->contradiction) {
        const int x = queue_.back();
        queue_.pop_back();
        queued_[std::size_t(x)] = 0;
        clueRule(x, exact);
    }
    for (const int x : queue_)
        queued_[std::size_t(x)] = 0;
    queue_.clear();
}

void QuickRater::followUp(Rung highest) {
    propagate(true);
    if (highest <= Rung::Medium) return;
    // The hard and expert steps are rare: the stepwise solver's own search finds each (its
    // rules below find nothing left), and the medium rules then follow it up.
    while (!s_->contradiction && !s_->solved(g_)) {
        const int count = finder_.round(*s_, highest, found_);
        if (count == 0) break;
        for (int k = 0; k < count && !s_->contradiction; ++k)
            for (const explain::Change& change : found_[std::size_t(k)].changes)
                tighten(change.line, change.least, change.most, true);
        propagate(true);
    }
}

bool QuickRater::refuted(int line, int least, int most) {
    trial_.copyFrom(board_);
    s_ = &trial_;
    tighten(line, least, most, true);
    followUp(Rung::Expert);
    const bool contradiction = trial_.contradiction;
    for (const int x : queue_)
        queued_[std::size_t(x)] = 0;
    queue_.clear();
    s_ = &board_;
    return contradiction;
}

bool QuickRater::trialPass() {
    // The same suppositions as the stepwise solver's trial, in one sweep over the lines:
    // what a refuted one leaves is followed up at once, and the sweep goes on from there.
    bool settled = false;
    for (int l = 0; l < g_.lineCount() && !board_.contradiction && !board_.solved(g_); ++l) {
        const int low = bound(board_.least[std::size_t(l)]), high = board_.effectiveMost(g_, l);
        if (low >= high) continue;
        const int guesses[4][4] = {{low, low, low + 1, high},
                                   {low + 1, high, low, low},
                                   {high, high, low, high - 1},
                                   {low, high - 1, high, high}};
        const int count = high - low == 2 ? 4 : 2;
        for (int k = 0; k < count; ++k) {
            if (!refuted(l, guesses[k][0], guesses[k][1])) continue;
            tighten(l, guesses[k][2], guesses[k][3], true);
            followUp(Rung::Expert);
            settled = true;
            break;
        }
    }
    return settled;
}

bool QuickRater::saturate(Rung highest) {
    const bool exact = highest >= Rung::Medium;
    queueAll(exact);
    if (!exact) {
        propagate(false);
        return !board_.contradiction;
    }
    followUp(std::min(highest, Rung::Expert));
    // A board that one productive sweep of trials leaves unfinished is counted too hard.
    // The ladder might still finish it with more sweeps, but on the boards drawn that is
    // rare next to the cost of a sweep that settles nothing, and the sorting here only
    // chooses which boards the ladder rates: passing over a few costs nothing else.
    if (highest == Rung::Extreme && !board_.contradiction && !board_.solved(g_)) trialPass();
    return !board_.contradiction;
}

bool QuickRater::unsettled(int a, int b) const {
    const int w = g_.width;
    const int line = g_.lineBetween(a / w, a % w, b / w, b % w);
    return line >= 0 && board_.least[std::size_t(line)] < board_.most[std::size_t(line)];
}

QuickVerdict QuickRater::rate(const Puzzle& puzzle, Rung target) {
    g_.build(puzzle);
    board_.reset(g_);
    s_ = &board_;
    queued_.assign(std::size_t(g_.islandCount()), 0);
    queue_.clear();
    if (target > Rung::Easy) {
        if (!saturate(Rung(int(target) - 1))) return QuickVerdict::TooHard;
        if (board_.solved(g_)) return QuickVerdict::TooEasy;
    }
    if (!saturate(target)) return QuickVerdict::TooHard;
    return board_.solved(g_) ? QuickVerdict::Candidate : QuickVerdict::TooHard;
}

}  // namespace spanwright::maker
